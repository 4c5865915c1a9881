#pragma once
// A check of a libsvm model file before libsvm's loader sees it. The loader
// trusts its input: a truncated support-vector section, class counts that
// do not add up or a huge support-vector count make it crash, read past its
// arrays or reserve gigabytes. The check accepts what svm_save_model writes
// for a two-class classifier and refuses everything else with one line.

#include <istream>
#include <string>

namespace svm_tools {

struct ModelView;

// Reads the model file at `path` and fails with one line for the user
// (naming the file and, where it applies, the line) unless it is:
//  - header lines "<key> <values>", each key once: svm_type c_svc or nu_svc;
//    kernel_type linear, polynomial, rbf or sigmoid with the parameters it
//    uses (degree a whole number from 0, gamma and coef0 finite numbers);
//    nr_class 2, before the keys whose value count depends on it; total_sv
//    a whole number from 0; rho one finite number; label two whole numbers;
//    probA and probB one finite number each, both or neither; nr_sv two
//    whole numbers from 0 that add up to total_sv;
//  - the line "SV", then exactly total_sv lines, each a finite coefficient
//    followed by "<index>:<value>" pairs with indices increasing within
//    1..433 and finite values, and nothing after them.
// Blanks are spaces and tabs; any other control character is refused.
void checkModelFile(const std::string& path);

// The same check on a model text already open; `name` stands for the file
// in messages.
void checkModelText(std::istream& in, const std::string& name);

// The same rules on a model's decoded values (its binary form): a C or nu
// classifier with a kernel other than precomputed, a degree from 0, finite
// gamma, coef0, rho, probA and probB, per-class counts from 0 that add up to
// the number of support vectors, finite coefficients, one run of nodes per
// coefficient, each ended by index -1, whose feature indices increase
// within 1..433 with finite values. Fails with one line naming `name` and
// what is wrong.
void checkModelContents(const ModelView& model, const std::string& name);

}  // namespace svm_tools
