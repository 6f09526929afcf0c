// Runs the xml-check program over good, bad and missing files.
#include <gtest/gtest.h>
#include <stdio.h>
#include <sys/wait.h>

#include <string>

#include "tools/testsupport/TempDir.h"

namespace {

struct ToolRun {
  std::string out;
  int status;
};

ToolRun RunXmlCheck(const std::string& arguments) {
  ToolRun run{"", -1};
  FILE* pipe = popen((std::string(XML_CHECK_PATH) + " " + arguments + " 2>&1").c_str(), "r");
  if (!pipe) return run;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, n);
  int status = pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

TEST(XmlCheckTest, OneLinePerFileAndExitStatus) {
  testsupport::TempDir dir;
  std::string good = dir.WriteFile("good.xml", "<?xml version=\"1.0\"?><Skin a=\"1\"/>").string();
  std::string bad = dir.WriteFile("bad.xml", "<a><b></a>").string();
  std::string missing = (dir / "missing.xml").string();

  ToolRun ok = RunXmlCheck(good);
  EXPECT_EQ(ok.out, good + ": ok Skin\n");
  EXPECT_EQ(ok.status, 0);

  ToolRun mixed = RunXmlCheck(good + " " + bad + " " + missing);
  EXPECT_EQ(mixed.out, good + ": ok Skin\n" + bad +
                           ": 10 bytes, End tag 'a' at offset 7 does not match start tag 'b' at offset 3\n" +
                           missing + ": No such file or directory\n");
  EXPECT_EQ(mixed.status, 1);
}

TEST(XmlCheckTest, NoArgumentsIsAUsageError) {
  ToolRun run = RunXmlCheck("");
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.out.find("usage"), std::string::npos);
}

}  // namespace
