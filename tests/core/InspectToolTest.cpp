// pilvo-inspect end to end, and its figures against admesh, an independent
// mesh checker, on files both can read.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cmath>
#include <cstdio>
#include <regex>
#include <string>

namespace {

struct Output {
  std::string text;
  int status = -1;
};

Output RunCommand(const std::string& command) {
  Output output;
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (!pipe) return output;
  char buffer[4096];
  size_t read;
  while ((read = fread(buffer, 1, sizeof buffer, pipe)) > 0) output.text.append(buffer, read);
  const int status = pclose(pipe);
  output.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return output;
}

double NumberAfter(const std::string& text, const std::string& pattern) {
  std::smatch match;
  if (!std::regex_search(text, match, std::regex(pattern + R"(\s*(-?[0-9.eE+-]+))"))) return NAN;
  return std::stod(match[1]);
}

TEST(InspectTool, VolumeAndClosednessAgreeWithAdmesh) {
  const std::string files[] = {
      PILVO_SAMPLES_DIR "/bracket.stl",
      PILVO_SAMPLES_DIR "/ring.stl",
      PILVO_CORPUS_DIR "/stl/stl_binary_rear_case.stl",
      PILVO_CORPUS_DIR "/stl/stl_ascii_Moon.stl",
      PILVO_CORPUS_DIR "/stl/stl_tests_bwb.stl",
  };
  for (const std::string& file : files) {
    SCOPED_TRACE(file);
    const Output ours = RunCommand(std::string(PILVO_INSPECT) + " --json " + file);
    ASSERT_EQ(ours.status, 0) << ours.text;
    const Output theirs = RunCommand("admesh " + file);
    ASSERT_EQ(theirs.status, 0) << theirs.text;
    const bool admeshClosed = NumberAfter(theirs.text, "Total disconnected facets\\s*:\\s*[0-9]+") == 0;
    EXPECT_EQ(ours.text.find("\"closed\":true") != std::string::npos, admeshClosed);
    const double volume = NumberAfter(ours.text, "\"volume\":");
    const double admeshVolume = NumberAfter(theirs.text, "Volume\\s*:");
    EXPECT_NEAR(volume, admeshVolume, 1e-4 * std::fabs(admeshVolume));
  }
}

TEST(InspectTool, PrintsOneJsonLinePerFileAndFailsForUnreadableFiles) {
  const Output output =
      RunCommand(std::string(PILVO_INSPECT) + " --json " PILVO_SAMPLES_DIR "/ring.stl /nonexistent/part.stl " PILVO_CORPUS_DIR
          "/stl/README.md");
  EXPECT_EQ(output.status, 1);
  EXPECT_NE(output.text.find(R"("facets":6144,"closed":true,"gapEdges":0,"volume":)"), std::string::npos);
  EXPECT_NE(output.text.find(R"("min":[-38,-38,-8],"max":[38,38,8],"projectedArea":)"), std::string::npos);
  EXPECT_NE(output.text.find("/nonexistent/part.stl: ファイル読み込み失敗"), std::string::npos);
  EXPECT_NE(output.text.find("README.md: ファイル読み込み失敗（未対応な拡張子）"), std::string::npos);
  EXPECT_EQ(RunCommand(std::string(PILVO_INSPECT)).status, 2);
  EXPECT_EQ(RunCommand(std::string(PILVO_INSPECT) + " --divisions 1 x.stl").status, 2);
}

TEST(InspectTool, OpenModelReportsGapEdgesAndNoVolume) {
  // A small part whose facets are not wound consistently: admesh reverses
  // some of them, here the shared edges do not pair up.
  const Output output = RunCommand(std::string(PILVO_INSPECT) + " --json " PILVO_CORPUS_DIR "/stl/stl_tests_triamid.stl");
  ASSERT_EQ(output.status, 0) << output.text;
  EXPECT_NE(output.text.find("\"closed\":false"), std::string::npos);
  EXPECT_NE(output.text.find("\"volume\":null"), std::string::npos);
  EXPECT_GT(NumberAfter(output.text, "\"gapEdges\":"), 0);
}

}  // namespace
