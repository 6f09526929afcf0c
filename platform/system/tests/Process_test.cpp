#include "platform/system/Process.h"

#include <errno.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/system/Environment.h"
#include "tools/testsupport/TempDir.h"

namespace platform {
namespace {

constexpr int kWatchdogMs = 20000;

std::filesystem::path WriteScript(const testsupport::TempDir& dir, const std::string& name,
                                  const std::string& body) {
  std::filesystem::path path = dir.WriteFile(name, "#!/bin/sh\n" + body);
  std::filesystem::permissions(path, std::filesystem::perms::owner_all);
  return path;
}

std::vector<std::string> ReadLines(const std::filesystem::path& path) {
  std::ifstream in(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST(ProcessTest, ExitCodesAreReported) {
  const std::vector<std::pair<std::string, int>> cases = {
      {"exit 0", 0}, {"exit 3", 3}, {"exit 255", 255}, {"kill -TERM $$", 128 + 15}};
  for (const auto& [script, expected] : cases) {
    ProcessHandle child;
    ASSERT_TRUE(StartProcess("/bin/sh", {"-c", script}, &child)) << script;
    EXPECT_GT(child.Pid(), 0);
    ASSERT_TRUE(child.Wait(kWatchdogMs)) << script;
    EXPECT_EQ(child.ExitCode(), expected) << script;
    // Once ended, it stays ended.
    EXPECT_TRUE(child.Wait(0));
    EXPECT_FALSE(child.Terminate(1));
  }
}

TEST(ProcessTest, ChildGetsOnlyTheStandardStreams) {
  testsupport::TempDir dir;
  // A descriptor without close-on-exec, like a socket some library opened.
  int inherited = open(dir.WriteFile("open.txt", "x").c_str(), O_RDONLY);
  ASSERT_GE(inherited, 3);
  ProcessHandle child;
  ASSERT_TRUE(StartProcess("/bin/sh", {"-c", "test -e /proc/self/fd/" + std::to_string(inherited)}, &child));
  ASSERT_TRUE(child.Wait(kWatchdogMs));
  EXPECT_EQ(child.ExitCode(), 1);
  close(inherited);
}

TEST(ProcessTest, WaitTimesOutThenTerminateSetsTheExitCode) {
  ProcessHandle child;
  ASSERT_TRUE(StartProcess("sleep", {"60"}, &child));
  auto begin = std::chrono::steady_clock::now();
  EXPECT_FALSE(child.Wait(100));
  EXPECT_GE(std::chrono::steady_clock::now() - begin, std::chrono::milliseconds(100));
  EXPECT_EQ(child.ExitCode(), ProcessHandle::kStillActive);
  EXPECT_TRUE(IsProcessRunning(child.Pid()));

  ASSERT_TRUE(child.Terminate(7));
  ASSERT_TRUE(child.Wait(kWatchdogMs));
  EXPECT_EQ(child.ExitCode(), 7);
  EXPECT_FALSE(IsProcessRunning(child.Pid()));
}

TEST(ProcessTest, MovedHandleKeepsTheProcess) {
  ProcessHandle first;
  ASSERT_TRUE(StartCommandLine("/bin/sh -c \"exit 4\"", &first));
  ProcessHandle second = std::move(first);
  EXPECT_FALSE(first.IsValid());
  EXPECT_TRUE(first.Wait(0));
  ASSERT_TRUE(second.Wait(kWatchdogMs));
  EXPECT_EQ(second.ExitCode(), 4);
}

TEST(ProcessTest, StartFailuresAreReported) {
  ProcessHandle child;
  EXPECT_FALSE(StartProcess("/nonexistent/program", {}, &child));
  EXPECT_EQ(LastProcessError(), ENOENT);
  EXPECT_FALSE(child.IsValid());
  EXPECT_FALSE(StartCommandLine("   ", &child));
  EXPECT_FALSE(ShellOpen("/nonexistent/file.txt", "", true, &child));
  EXPECT_FALSE(ShellOpen("", "", true, &child));
}

TEST(ProcessTest, ShellOpenRunsAnExecutableWithSplitParameters) {
  testsupport::TempDir dir;
  std::filesystem::path out = dir / "args.txt";
  std::filesystem::path script =
      WriteScript(dir, "spindle.sh", "for a in \"$@\"; do echo \"[$a]\"; done > \"$OUT\"\nexit 9\n");
  ASSERT_TRUE(SetEnv("OUT", out.string()));
  ProcessHandle child;
  ASSERT_TRUE(
      ShellOpen(script.string(), "/url:http://h/x.exe /md5:ab /pid:12 /arg:\"-s -q\" \"\"", true, &child));
  ASSERT_TRUE(child.Wait(kWatchdogMs));
  EXPECT_EQ(child.ExitCode(), 9);
  EXPECT_EQ(ReadLines(out), (std::vector<std::string>{"[/url:http://h/x.exe]", "[/md5:ab]", "[/pid:12]",
                                                      "[/arg:-s -q]", "[]"}));
  UnsetEnv("OUT");
}

TEST(ProcessTest, ShellOpenHandsDocumentsAndAddressesToTheDesktopOpener) {
  // A stand-in desktop opener records what it was asked to open.
  testsupport::TempDir dir;
  std::filesystem::path log = dir / "opened.txt";
  WriteScript(dir, "xdg-open", "echo \"$#:$1\" >> \"" + log.string() + "\"\n");
  std::filesystem::path document = dir.WriteFile("album.html", "<html></html>");
  std::string saved_path = GetEnv("PATH");
  ASSERT_TRUE(SetEnv("PATH", dir.path().string() + ":" + saved_path));
  for (const std::string& target : {std::string("http://127.0.0.1:1/album?id=3"), document.string()}) {
    ProcessHandle opener;
    ASSERT_TRUE(ShellOpen(target, "ignored parameters", true, &opener)) << target;
    ASSERT_TRUE(opener.Wait(kWatchdogMs));
    EXPECT_EQ(opener.ExitCode(), 0);
  }
  SetEnv("PATH", saved_path);
  EXPECT_EQ(ReadLines(log),
            (std::vector<std::string>{"1:http://127.0.0.1:1/album?id=3", "1:" + document.string()}));
}

TEST(ProcessTest, ClosedHandleLeavesNoZombie) {
  testsupport::TempDir dir;
  std::filesystem::path fifo = dir / "pid.fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  std::filesystem::path script = WriteScript(dir, "report.sh", "echo $$ > \"" + fifo.string() + "\"\n");
  ASSERT_TRUE(ShellOpen(script.string(), "", false, nullptr));
  // Opening the pipe waits for the child to write its id.
  int pid = 0;
  std::ifstream(fifo) >> pid;
  ASSERT_GT(pid, 0);
  // The background reaper collects the child; the watchdog bounds the wait.
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWatchdogMs);
  while (std::filesystem::exists("/proc/" + std::to_string(pid)) &&
         std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_FALSE(std::filesystem::exists("/proc/" + std::to_string(pid)));
}

TEST(ProcessTest, RunningStateOfProcessIds) {
  EXPECT_EQ(CurrentProcessId(), static_cast<int>(getpid()));
  EXPECT_TRUE(IsProcessRunning(CurrentProcessId()));
  EXPECT_FALSE(IsProcessRunning(0));
  EXPECT_FALSE(IsProcessRunning(-1));
  // An ended child that nobody has collected yet has ended all the same.
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) _exit(0);
  siginfo_t info{};
  ASSERT_EQ(waitid(P_PID, static_cast<id_t>(child), &info, WEXITED | WNOWAIT), 0);
  EXPECT_FALSE(IsProcessRunning(child));
  waitpid(child, nullptr, 0);
  EXPECT_FALSE(IsProcessRunning(child));
}

TEST(CommandLineTest, SplitsAsTheProductsProgramsExpect) {
  const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
      {"", {}},
      {"  \t ", {}},
      {"a b\tc", {"a", "b", "c"}},
      {"/url:http://h/p.exe /md5:x /pid:42 /arg:\"/S /D=C:\\x\"",
       {"/url:http://h/p.exe", "/md5:x", "/pid:42", "/arg:/S /D=C:\\x"}},
      {"/arg:\"\"", {"/arg:"}},
      {"\"\" x", {"", "x"}},
      {"\"a b\"c d", {"a bc", "d"}},
      {"a\\\\b \\x", {"a\\\\b", "\\x"}},
      {"\\\"q\\\"", {"\"q\""}},
      {"\"\\\\\" next", {"\\", "next"}},
      {"\"say \"\"hi\"\"\"", {"say \"hi\""}},
      {"\"unterminated run", {"unterminated run"}},
  };
  for (const auto& [line, expected] : cases) EXPECT_EQ(SplitCommandLine(line), expected) << line;
}

}  // namespace
}  // namespace platform
