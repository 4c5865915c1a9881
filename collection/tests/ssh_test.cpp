// annotate over two "machines": two ssh logins to an ssh server of the
// test's own on 127.0.0.1, each login with its own slot folder. Photos go
// out and results come back with parallel's transfer and return.

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <thread>

#include "batch_support.h"

using namespace batch_support;

namespace {

class SshServer {
 public:
  explicit SshServer(const fs::path& folder) : folder_(folder) {}
  ~SshServer() {
    std::ifstream pidFile(folder_ / "sshd.pid");
    pid_t pid = 0;
    if (pidFile >> pid && pid > 0) kill(pid, SIGTERM);
  }

  // Starts the server; returns why it could not, or "" when it runs.
  std::string start() {
    for (const char* program : {"/usr/sbin/sshd", "/usr/bin/ssh", "/usr/bin/ssh-keygen", "/usr/bin/rsync"})
      if (!fs::exists(program)) return std::string(program) + " is not installed";
    for (const char* key : {"host", "client"}) {
      const auto made = run(folder_, {"ssh-keygen", "-q", "-t", "ed25519", "-N", "", "-f", key});
      if (made.status != 0) return "ssh-keygen failed: " + made.output;
    }
    fs::copy_file(folder_ / "client.pub", folder_ / "authorized_keys");
    port_ = 20000 + static_cast<int>(getpid() % 30000);
    std::ofstream config(folder_ / "sshd_config");
    config << "Port " << port_ << "\nListenAddress 127.0.0.1\nHostKey " << (folder_ / "host").string()
           << "\nAuthorizedKeysFile " << (folder_ / "authorized_keys").string()
           << "\nPasswordAuthentication no\nKbdInteractiveAuthentication no\nUsePAM no\nStrictModes no\n"
           << "PermitRootLogin prohibit-password\nAcceptEnv ANNOTATE_SLOT_ROOT\nPidFile "
           << (folder_ / "sshd.pid").string() << "\n";
    config.close();
    std::error_code error;
    if (geteuid() == 0) fs::create_directories("/run/sshd", error);
    const auto started =
        run(folder_, {"/usr/sbin/sshd", "-f", (folder_ / "sshd_config").string(), "-E", (folder_ / "sshd.log").string()});
    if (started.status != 0) return "sshd did not start: " + started.output + collection::readWholeFile(folder_ / "sshd.log");
    for (int attempt = 0; attempt < 50; ++attempt) {
      std::vector<std::string> probe = {"ssh"};
      for (const std::string& word : clientOptions()) probe.push_back(word);
      probe.insert(probe.end(), {"127.0.0.1", "true"});
      if (run(folder_, probe).status == 0) return "";
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return "sshd does not answer: " + collection::readWholeFile(folder_ / "sshd.log");
  }

  std::vector<std::string> clientOptions() const {
    return {"-i", (folder_ / "client").string(), "-p", std::to_string(port_), "-o", "StrictHostKeyChecking=no",
            "-o", "UserKnownHostsFile=/dev/null", "-o", "LogLevel=ERROR", "-o", "BatchMode=yes"};
  }

  // One login line of GNU parallel's format: one job slot, its slot folder.
  std::string login(const fs::path& slots) const {
    std::string line = "1/ssh";
    for (const std::string& word : clientOptions()) line += " " + word;
    return line + " -o SetEnv=ANNOTATE_SLOT_ROOT=" + slots.string() + " 127.0.0.1";
  }

 private:
  fs::path folder_;
  int port_ = 0;
};

TEST(Ssh, TwoMachinesGiveTheFilesOfALocalBatch) {
  const fs::path folder = freshFolder("ssh");
  SshServer server(folder / "server");
  fs::create_directories(folder / "server");
  const std::string why = server.start();
  if (!why.empty()) GTEST_SKIP() << "no ssh server could be started: " << why;

  const fs::path photos = folder / "photos";
  fs::create_directories(photos / "sub dir");
  keepCredits(photos);
  // Nine photos over two one-slot logins: two photos a job, travelling
  // together, a name that needs quoting among them.
  const auto samples = samplePhotos();
  for (std::size_t i = 0; i < samples.size(); ++i)
    fs::copy_file(samples[i], photos / (i % 2 ? "sub dir" : ".") / samples[i].filename());
  fs::copy_file(samples[0], photos / "sub dir" / "it's \"$(touch injected)\".jpg");
  collection::writeFile(photos / "broken.jpg", "not a photo");
  const std::string annotated = std::to_string(samples.size() + 1);
  {
    std::ofstream logins(folder / "logins");
    logins << server.login(folder / "machine-a") << "\n" << server.login(folder / "machine-b") << "\n";
  }
  const auto remote = annotate({"--sshloginfile", (folder / "logins").string()}, photos, folder / "remote-out");
  EXPECT_EQ(remote.status, 1) << remote.output;
  EXPECT_NE(remote.output.find(annotated + " annotated, 1 failed"), std::string::npos) << remote.output;
  const auto jobs = jobLog(folder / "remote-out");
  EXPECT_TRUE(std::any_of(jobs.begin(), jobs.end(), [](const LoggedJob& job) { return job.photos.size() == 2; }))
      << "several photos a job";
  EXPECT_EQ(jobsNaming(jobs).at("./sub dir/it's \"$(touch injected)\".jpg"), 1);
  const auto local = annotate({"-j", "2"}, photos, folder / "local-out");
  EXPECT_EQ(local.status, 1) << local.output;

  const auto expected = publishedFiles(folder / "local-out");
  const auto actual = publishedFiles(folder / "remote-out");
  EXPECT_EQ(actual.size(), expected.size());
  for (const auto& [name, content] : expected) {
    ASSERT_EQ(actual.count(name), 1u) << name;
    EXPECT_TRUE(actual.at(name) == content) << name << " differs from the local batch";
  }
  EXPECT_NE(imagesByPhoto(folder / "remote-out").at("broken.jpg")[8].find("convert:"), std::string::npos);
  EXPECT_TRUE(fs::is_directory(folder / "machine-a")) << "both logins had jobs";
  EXPECT_TRUE(fs::is_directory(folder / "machine-b"));

  const auto again = annotate({"--sshloginfile", (folder / "logins").string()}, photos, folder / "remote-out");
  EXPECT_NE(again.output.find("0 annotated, 1 failed, " + annotated + " skipped as done"), std::string::npos)
      << again.output;
  EXPECT_FALSE(fs::exists(photos / "injected"));
}

}  // namespace
