// The platform contract test's fixture for the browser backend, run in a
// page of headless Chromium: the page is not fullscreen (only a viewer's
// gesture may ask for that, so there is no mode to switch to), the timer
// runs on performance.now(), WebGL has no compiled-vertex-array lock, and
// each box is answered by the page itself, clicking the button as soon as
// the dialog shows.
#include "tests/platform/platform_fixture.h"

#include <emscripten.h>

namespace platform_contract {
namespace {

// Watches the page for the next dialog captioned `caption`; when it shows,
// keeps its text and clicks the button whose answer is `button`.
// clang-format off
EM_JS(void, answer_next_dialog, (const char* caption, int button), {
  var wanted = UTF8ToString(caption);
  Module.zarnic_box_text = null;
  var observer = new MutationObserver(function() {
    var dialog = document.getElementById('zarnic-dialog');
    if (!dialog || dialog.querySelector('.zarnic-dialog-caption').textContent !== wanted) return;
    var choice = dialog.querySelector('button[data-answer="' + button + '"]');
    if (!choice) return;
    observer.disconnect();
    Module.zarnic_box_text = dialog.querySelector('.zarnic-dialog-text').textContent;
    choice.click();
  });
  observer.observe(document.body, {childList: true, subtree: true});
});
// clang-format on

// Copies the answered dialog's text into `out`; 0 when none was answered.
// clang-format off
EM_JS(int, answered_dialog_text, (char* out, int size), {
  var text = Module.zarnic_box_text;
  if (text === null || text === undefined) return 0;
  stringToUTF8(text, out, size);
  return 1;
});
// clang-format on

}  // namespace

void begin_case() {}

bool screen_mode(int*, int*) { return false; }

bool timer_ticks_by_itself() { return true; }

bool offers_lock_arrays() { return false; }

bool answer_next_box(const char* caption, int button) {
  answer_next_dialog(caption, button);
  return true;
}

bool box_done(std::string* text_shown) {
  char text[512] = {};
  if (answered_dialog_text(text, sizeof text) == 0) return false;
  *text_shown = text;
  return true;
}

}  // namespace platform_contract
