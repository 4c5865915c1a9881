// trainConcepts <point file> <image folder> <working directory> [options]
//
// Turns labelled points into one SVM model per concept. Every photo named in
// the point file is prepared by Ferrow in the working directory (or its
// earlier results are reused), the region under each point is looked up in
// the photo's label file, and each region whose points agree (two thirds at
// least) becomes a training example with the 433 features the classifier
// reads. C, gamma and the descriptor groups' shares are chosen by
// cross-validation over folds of whole photos; the models are then trained
// on all regions and written to conf/SVMtrainingModels/ with the concept list
// conf/<list name>.
//
// Options:
//   --ferrow <program>     the Ferrow program (default: Ferrow on PATH)
//   --rerun                prepare photos even where their results are present
//   --folds <n>            cross-validation folds (default 5)
//   --deals <n>            deals of the photos to the folds each grid point is scored on (default 3)
//   --costs <list>         values of C searched, separated by commas (default 1,2,4)
//   --gammas <list>        values of gamma searched (default 0.125,0.25,0.5,1)
//   --shares <list>        group shares HT:RS:SC:EH searched (default 1:1:1:1,2:1:1:1,4:1:1:1,8:1:1:1)
//   --nested               also measure the choice by nested cross-validation
//   --mirror               train on every photo's mirrored copy as well
//   --region-limits <list> train on copies segmented with these region limits as well
//   --list <name>          concept list name under conf/ (default concepts.txt)
//
// Standard output gets the table of results; progress and reports of left
// out regions go to standard error.

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/failure.h"
#include "platform/paths.h"
#include "tools/svm/training_run.h"

namespace {

namespace fs = std::filesystem;
using namespace svm_tools;

const std::string kUsage =
    "usage: trainConcepts <point file> <image folder> <working directory> [--ferrow <program>] [--rerun] "
    "[--folds <n>] [--deals <n>] [--costs <list>] [--gammas <list>] [--shares <list>] [--nested] [--mirror] "
    "[--region-limits <list>] [--list <name>]";

std::vector<std::string> splitCommas(const std::string& text) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (true) {
    const std::size_t comma = text.find(',', start);
    parts.push_back(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
    if (comma == std::string::npos) return parts;
    start = comma + 1;
  }
}

int wholeNumber(const std::string& option, const std::string& value, int least, int most) {
  if (value.empty() || value.size() > 3 || value.find_first_not_of("0123456789") != std::string::npos ||
      std::stoi(value) < least || std::stoi(value) > most) {
    platform::failStderrLine(option + " needs whole numbers from " + std::to_string(least) + " to " +
                             std::to_string(most) + "; " + kUsage);
  }
  return std::stoi(value);
}

std::vector<double> positiveNumbers(const std::string& option, const std::string& value) {
  std::vector<double> numbers;
  for (const std::string& part : splitCommas(value)) {
    char* end = nullptr;
    const double number = std::strtod(part.c_str(), &end);
    if (part.empty() || part.find_first_not_of("0123456789.e-") != std::string::npos || *end != '\0' ||
        !(number > 0.0) || number > 1e6) {
      platform::failStderrLine(option + " needs positive numbers separated by commas; " + kUsage);
    }
    numbers.push_back(number);
  }
  return numbers;
}

TrainingOptions parseOptions(int argc, char** argv) {
  TrainingOptions options;
  std::vector<std::string> positional;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    const bool hasValue = i + 1 < argc;
    if (argument == "--rerun") {
      options.rerun = true;
    } else if (argument == "--nested") {
      options.nested = true;
    } else if (argument == "--mirror") {
      options.mirrored = true;
    } else if (argument == "--ferrow" && hasValue) {
      options.ferrow = argv[++i];
    } else if (argument == "--list" && hasValue) {
      options.listName = argv[++i];
    } else if (argument == "--folds" && hasValue) {
      options.search.folds = wholeNumber(argument, argv[++i], 2, 100);
    } else if (argument == "--deals" && hasValue) {
      options.search.deals = wholeNumber(argument, argv[++i], 1, 100);
    } else if (argument == "--costs" && hasValue) {
      options.grid.costs = positiveNumbers(argument, argv[++i]);
    } else if (argument == "--gammas" && hasValue) {
      options.grid.gammas = positiveNumbers(argument, argv[++i]);
    } else if (argument == "--shares" && hasValue) {
      options.grid.shares.clear();
      for (const std::string& part : splitCommas(argv[++i])) {
        const std::optional<GroupShares> shares = parseShares(part);
        if (!shares) platform::failStderrLine("--shares needs four positive numbers like 4:1:1:1 per entry; " + kUsage);
        options.grid.shares.push_back(*shares);
      }
    } else if (argument == "--region-limits" && hasValue) {
      options.regionLimits.clear();
      for (const std::string& part : splitCommas(argv[++i])) {
        options.regionLimits.push_back(wholeNumber(argument, part, 2, 255));
      }
    } else if (argument.starts_with("--")) {
      platform::failStderrLine("unknown option " + argument + "; " + kUsage);
    } else {
      positional.push_back(argument);
    }
  }
  if (positional.size() != 3) platform::failStderrLine(kUsage);
  options.pointFile = fs::absolute(positional[0]).string();
  options.imageFolder = fs::absolute(positional[1]).string();
  options.workingDirectory = positional[2];
  // A program given with a folder is found from where we were started.
  if (options.ferrow.find('/') != std::string::npos || options.ferrow.find(platform::kSeparator) != std::string::npos) {
    options.ferrow = fs::absolute(options.ferrow).string();
  }
  return options;
}

}  // namespace

int main(int argc, char** argv) {
  return platform::runReportingFailures([&] { return runTraining(parseOptions(argc, argv)); });
}
