// The entry of a GoogleTest program run in a page (tests/web/probe.html):
// runs every case, then publishes each one's outcome on the page, for
// tests/web/web_test.js to report case by case:
//   window.zarnic_gtest_cases  [{name, status: 'passed'|'failed'|'skipped', message}]
//   window.zarnic_gtest_exit   RUN_ALL_TESTS()'s result, once all have run
// The program is built with Asyncify, so a case that waits for the browser
// (a dialog, an animation frame, the audio callback) lets the page run.
#include <emscripten.h>
#include <gtest/gtest.h>

#include <string>

namespace {

// clang-format off
EM_JS(void, publish_case, (const char* name, const char* status, const char* message), {
  window.zarnic_gtest_cases = window.zarnic_gtest_cases || [];
  window.zarnic_gtest_cases.push({name: UTF8ToString(name), status: UTF8ToString(status),
                                  message: UTF8ToString(message)});
});
// clang-format on

// clang-format off
EM_JS(void, publish_exit, (int code), {
  window.zarnic_gtest_cases = window.zarnic_gtest_cases || [];
  window.zarnic_gtest_exit = code;
});
// clang-format on

}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  const int code = RUN_ALL_TESTS();
  const testing::UnitTest& unit = *testing::UnitTest::GetInstance();
  for (int s = 0; s < unit.total_test_suite_count(); ++s) {
    const testing::TestSuite& suite = *unit.GetTestSuite(s);
    for (int t = 0; t < suite.total_test_count(); ++t) {
      const testing::TestInfo& info = *suite.GetTestInfo(t);
      if (!info.should_run()) continue;
      const testing::TestResult& result = *info.result();
      std::string message;
      for (int p = 0; p < result.total_part_count(); ++p) {
        if (!message.empty()) message += '\n';
        message += result.GetTestPartResult(p).message();
      }
      const char* status = result.Skipped() ? "skipped" : result.Failed() ? "failed" : "passed";
      publish_case((std::string(suite.name()) + "." + info.name()).c_str(), status, message.c_str());
    }
  }
  publish_exit(code);
  return code;
}
