// The browser side of the web platform layer (platform/web/platform_web.cpp):
// the page's input, visibility and fullscreen events gathered into one queue
// the message pump drains, the canvas and its WebGL context, the cursor and
// the screen wake lock. Everything here runs on the page's main thread.
mergeInto(LibraryManager.library, {
  $ZarnicPage: {
    events: [],
    installed: false,
    running: false,
    // Set while the program itself leaves fullscreen, so that the change is
    // not taken for the viewer's Escape.
    leaving: false,
    shift: false,
    wakeLock: null,
    // Win32 virtual-key codes the layer reports: Chromium's keyCode is the
    // Windows code on every system, so it is used as it is for these.
    reported: function(code) {
      return (code >= 0x41 && code <= 0x5A) || (code >= 0x30 && code <= 0x39) ||
          [0x08, 0x09, 0x0D, 0x10, 0x11, 0x12, 0x13, 0x1B, 0x20, 0x2D, 0x2E].indexOf(code) >= 0 ||
          (code >= 0x21 && code <= 0x28) || (code >= 0x70 && code <= 0x7B);
    },
    push: function(message, wparam, lparam) {
      ZarnicPage.events.push([message, wparam, lparam]);
    },
    key: function(event, released) {
      ZarnicPage.shift = event.shiftKey;
      if (!ZarnicPage.running) return;
      var code = event.keyCode;
      if (!ZarnicPage.reported(code)) return;
      // The page keeps the keys: no scrolling, no find bar, no focus moves.
      event.preventDefault();
      var alt = event.altKey || code == 0x12;
      var system = alt || code == 0x79;  // F10 is a system key too
      var lparam = 1;  // repeat count
      if (alt) lparam |= 1 << 29;
      if (released || event.repeat) lparam |= 1 << 30;
      if (released) lparam |= 1 << 31;
      var message = released ? (system ? 0x0105 : 0x0101) : (system ? 0x0104 : 0x0100);
      ZarnicPage.push(message, code, lparam);
    },
  },

  zarnic_page_install__deps: ['$ZarnicPage'],
  zarnic_page_install: function() {
    ZarnicPage.running = true;
    ZarnicPage.events.length = 0;
    if (ZarnicPage.installed) return;
    ZarnicPage.installed = true;
    window.addEventListener('keydown', function(e) { ZarnicPage.key(e, false); }, true);
    window.addEventListener('keyup', function(e) { ZarnicPage.key(e, true); }, true);
    // Hiding or closing the tab is the close request.
    document.addEventListener('visibilitychange', function() {
      if (ZarnicPage.running && document.visibilityState == 'hidden') ZarnicPage.push(0x0010, 0, 0);
    });
    window.addEventListener('pagehide', function() {
      if (ZarnicPage.running) ZarnicPage.push(0x0010, 0, 0);
    });
    // The browser spends the viewer's Escape on leaving fullscreen and the
    // page never sees the key: it arrives as the Escape it was.
    document.addEventListener('fullscreenchange', function() {
      if (document.fullscreenElement || !ZarnicPage.running) return;
      if (ZarnicPage.leaving) {
        ZarnicPage.leaving = false;
        return;
      }
      ZarnicPage.push(0x0100, 0x1B, 1);
    });
  },

  zarnic_page_uninstall__deps: ['$ZarnicPage'],
  zarnic_page_uninstall: function() {
    ZarnicPage.running = false;
    ZarnicPage.events.length = 0;
  },

  // Takes the oldest page event: 1 and its message, wparam and lparam, or 0.
  zarnic_page_next_event__deps: ['$ZarnicPage'],
  zarnic_page_next_event: function(message, wparam, lparam) {
    var event = ZarnicPage.events.shift();
    if (!event) return 0;
    HEAPU32[message >> 2] = event[0];
    HEAPU32[wparam >> 2] = event[1];
    HEAP32[lparam >> 2] = event[2];
    return 1;
  },

  zarnic_page_shift_down__deps: ['$ZarnicPage'],
  zarnic_page_shift_down: function() { return ZarnicPage.shift ? 1 : 0; },

  zarnic_page_fullscreen: function() { return document.fullscreenElement ? 1 : 0; },

  zarnic_page_leave_fullscreen__deps: ['$ZarnicPage'],
  zarnic_page_leave_fullscreen: function() {
    if (!document.fullscreenElement) return;
    ZarnicPage.leaving = true;
    document.exitFullscreen().catch(function() { ZarnicPage.leaving = false; });
  },

  // Sizes the canvas's drawing buffer; 0 when the page has no canvas.
  zarnic_page_size_canvas: function(width, height) {
    var canvas = Module['canvas'];
    if (!canvas) return 0;
    canvas.width = width;
    canvas.height = height;
    return 1;
  },

  // One WebGL context on the canvas, with the legacy-GL emulation set up on
  // it. No alpha channel: the scene clears with alpha 0.5, which would let
  // the page show through.
  zarnic_page_create_context__deps: ['$Browser'],
  zarnic_page_create_context: function() {
    var canvas = Module['canvas'];
    if (!canvas) return 0;
    var attributes = {alpha: false, depth: true, stencil: false, antialias: false, preserveDrawingBuffer: false,
                      majorVersion: 1, minorVersion: 0};
    return Browser.createContext(canvas, true, true, attributes) ? 1 : 0;
  },

  zarnic_page_show_cursor: function(shown) {
    var canvas = Module['canvas'];
    if (canvas) canvas.style.cursor = shown ? '' : 'none';
  },

  // Keeps the screen on while the window objects to the screen saver.
  zarnic_page_keep_screen_on__deps: ['$ZarnicPage'],
  zarnic_page_keep_screen_on: function(on) {
    if (on && !ZarnicPage.wakeLock && navigator.wakeLock) {
      navigator.wakeLock.request('screen').then(function(lock) {
        ZarnicPage.wakeLock = lock;
      }).catch(function() {});
    } else if (!on && ZarnicPage.wakeLock) {
      ZarnicPage.wakeLock.release().catch(function() {});
      ZarnicPage.wakeLock = null;
    }
  },
});
