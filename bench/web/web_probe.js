// One measured run of the browser build's player in headless Chromium:
//   node bench/web/web_probe.js URL
// Prints "name value" lines: the main-phase frame rate (frames presented
// from 6 to 12 s after the first frame, when the music is between the intro
// and the credits), the time from the click to the first presented frame,
// and the page's memory 10 s in: the program's WebAssembly memory, the
// page's JavaScript heap and the resident size of the renderer processes.
'use strict';

const {execFileSync} = require('child_process');
const path = require('path');
const {with_started_page, wait_after_first_frame} = require(path.join(__dirname, '../../tests/web/web_page'));

function renderer_rss_mb(browser_pid) {
  // Every process below the browser's that is a renderer (the page's).
  const lines = execFileSync('ps', ['-e', '-o', 'pid=,ppid=,rss=,args=']).toString().trim().split('\n');
  const processes = lines.map((line) => {
    const [pid, ppid, rss, ...args] = line.trim().split(/\s+/);
    return {pid: +pid, ppid: +ppid, rss: +rss, args: args.join(' ')};
  });
  const below = new Set([browser_pid]);
  for (let changed = true; changed;) {
    changed = false;
    for (const p of processes) {
      if (!below.has(p.pid) && below.has(p.ppid)) {
        below.add(p.pid);
        changed = true;
      }
    }
  }
  return processes.filter((p) => below.has(p.pid) && p.args.includes('--type=renderer'))
             .reduce((sum, p) => sum + p.rss, 0) / 1024;
}

with_started_page(process.argv[2], async (page, browser) => {
  const since_first = (s) => wait_after_first_frame(page, s);
  await since_first(6);
  const start = await page.evaluate(() => [window.zarnic_frames, performance.now()]);
  await since_first(10);
  const memory = await page.evaluate(() => ({wasm: Module.wasmMemory.buffer.byteLength,
                                              heap: performance.memory ? performance.memory.usedJSHeapSize : 0}));
  const rss = renderer_rss_mb(browser.process().pid);
  await since_first(12);
  const end = await page.evaluate(() => [window.zarnic_frames, performance.now(),
                                         window.zarnic_first_frame_ms - window.zarnic_click_ms]);
  console.log(`main_phase_fps ${((end[0] - start[0]) / ((end[1] - start[1]) / 1000)).toFixed(2)}`);
  console.log(`click_to_first_frame_ms ${end[2].toFixed(0)}`);
  console.log(`wasm_memory_mb ${(memory.wasm / 1048576).toFixed(0)}`);
  console.log(`js_heap_mb ${(memory.heap / 1048576).toFixed(1)}`);
  console.log(`renderer_rss_mb ${rss.toFixed(0)}`);
});
