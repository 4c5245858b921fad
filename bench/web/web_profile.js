// Where the page's main-phase frame time goes, in one run of the player in
// headless Chromium:
//   node bench/web/web_profile.js URL
// From 6 to 10 s after the first frame it samples the page's main thread
// (the program's WebAssembly, the GL emulation, the audio callback) with the
// DevTools CPU profiler, then traces the browser's GPU process for 3 s.
// Prints the frames presented, the share of the main thread's samples that
// were idle, the busiest functions, and the longest trace slices per
// process and thread.
'use strict';

const fs = require('fs');
const os = require('os');
const path = require('path');
const {with_started_page, wait_after_first_frame} = require(path.join(__dirname, '../../tests/web/web_page'));

function top_of(map, count) { return [...map.entries()].sort((a, b) => b[1] - a[1]).slice(0, count); }

with_started_page(process.argv[2], async (page) => {
  const since_first = (s) => wait_after_first_frame(page, s);
  const frames = () => page.evaluate(() => window.zarnic_frames);
  await since_first(6);

  const client = await page.target().createCDPSession();
  await client.send('Profiler.enable');
  await client.send('Profiler.setSamplingInterval', {interval: 200});
  await client.send('Profiler.start');
  const profiled_from = await frames();
  await since_first(10);
  const profiled_frames = await frames() - profiled_from;
  const {profile} = await client.send('Profiler.stop');
  const nodes = new Map(profile.nodes.map((node) => [node.id, node]));
  const samples = new Map();
  for (const id of profile.samples) {
    const frame = nodes.get(id).callFrame;
    const name = frame.functionName || `(anonymous ${path.basename(frame.url)})`;
    samples.set(name, (samples.get(name) || 0) + 1);
  }
  const total = profile.samples.length;
  console.log(`main thread: ${profiled_frames} frames in 4 s, ` +
              `${(100 * (samples.get('(idle)') || 0) / total).toFixed(1)} % of ${total} samples idle`);
  for (const [name, count] of top_of(samples, 12)) console.log(`  ${(100 * count / total).toFixed(1)} % ${name}`);

  const trace_file = path.join(os.tmpdir(), `zarnic_trace_${process.pid}.json`);
  await page.tracing.start({path: trace_file, categories: ['gpu', 'gpu.angle', 'viz', 'toplevel']});
  const traced_from = await frames();
  await new Promise((resolve) => setTimeout(resolve, 3000));
  const traced_frames = await frames() - traced_from;
  await page.tracing.stop();
  const trace = JSON.parse(fs.readFileSync(trace_file, 'utf8'));
  fs.unlinkSync(trace_file);
  const events = trace.traceEvents || trace;
  const names = new Map();
  for (const event of events) {
    if (event.ph === 'M' && (event.name === 'thread_name' || event.name === 'process_name')) {
      names.set(event.name === 'thread_name' ? `${event.pid}/${event.tid}` : `${event.pid}`, event.args.name);
    }
  }
  const slices = new Map();
  for (const event of events) {
    if (event.ph !== 'X' || !event.dur) continue;
    const key = `${names.get(`${event.pid}`)} / ${names.get(`${event.pid}/${event.tid}`)}: ${event.name}`;
    slices.set(key, (slices.get(key) || 0) + event.dur / 1000);
  }
  console.log(`trace: ${traced_frames} frames in 3 s; longest slices (ms in all, nested slices counted in each)`);
  for (const [key, ms] of top_of(slices, 12)) console.log(`  ${ms.toFixed(0)} ms ${key}`);
});
