// Driving the browser build's page in Debian's headless Chromium: the browser
// with WebGL on SwiftShader and sound allowed, a page at 1024 x 768, the
// viewer's gestures, and waiting on what the page publishes.
'use strict';

const puppeteer = require('puppeteer-core');
const fs = require('fs');

const chromium = ['/usr/lib/chromium/chromium', '/usr/bin/chromium'].find((p) => fs.existsSync(p));

function sleep(ms) { return new Promise((resolve) => setTimeout(resolve, ms)); }

async function launch_browser() {
  return puppeteer.launch({
    executablePath: chromium,
    headless: 'new',
    protocolTimeout: 180000,
    // WebGL exists headless only on ANGLE's SwiftShader; sound plays without
    // a gesture only with the autoplay policy lifted (a click still starts
    // the page as a viewer's would).
    args: ['--no-sandbox', '--enable-unsafe-swiftshader', '--use-angle=swiftshader',
           '--autoplay-policy=no-user-gesture-required', '--mute-audio'],
  });
}

// A new page at url, 1024 x 768, once the program has loaded.
async function open_page(browser, url) {
  const page = await browser.newPage();
  page.on('pageerror', (error) => console.log(`# page error: ${error.message}`));
  page.on('console', (message) => {
    if (message.type() === 'error') console.log(`# console: ${message.text()}`);
  });
  await page.setViewport({width: 1024, height: 768});
  await page.goto(url);
  await page.waitForFunction(() => document.getElementById('status').textContent.includes('Click'),
                             {timeout: 120000});
  return page;
}

// The page inside a frame of a page from the same server, a frame without
// leave to go fullscreen, as where a site embeds it: the browser refuses the
// program's fullscreen for real. Returns the outer page and the frame.
async function open_embedded(browser, url) {
  const page = await browser.newPage();
  page.on('pageerror', (error) => console.log(`# page error: ${error.message}`));
  await page.setViewport({width: 1024, height: 768});
  // Any address of the server gives a document of its origin to build on.
  await page.goto(new URL('embedding-host', url).href);
  await page.evaluate((src) => {
    document.body.style.margin = '0';
    document.body.innerHTML = `<iframe src="${src}" allow="autoplay; fullscreen 'none'" width="1024" height="768" style="border:0"></iframe>`;
  }, url);
  const handle = await page.waitForSelector('iframe');
  const frame = await handle.contentFrame();
  await frame.waitForFunction(() => document.getElementById('status') &&
      document.getElementById('status').textContent.includes('Click'), {timeout: 120000});
  return {page, frame};
}

// A real click (a trusted gesture over the debugging protocol).
async function start_by_click(page) { await page.mouse.click(512, 400); }

async function wait_for(page, predicate, seconds, arg) {
  await page.waitForFunction(predicate, {timeout: seconds * 1000, polling: 50}, arg);
}

// Runs `body(page, browser)` on the page at url, started by a click, in a
// browser of its own that is closed afterwards, whatever body does.
async function with_started_page(url, body) {
  const browser = await launch_browser();
  try {
    const page = await open_page(browser, url);
    await start_by_click(page);
    await body(page, browser);
  } finally {
    await browser.close();
  }
}

// Waits until `seconds` have passed since the program's first drawn frame.
async function wait_after_first_frame(page, seconds) {
  await wait_for(page, (s) => window.zarnic_first_frame_ms !== null &&
      performance.now() - window.zarnic_first_frame_ms >= s * 1000, 60, seconds);
}

async function wait_for_exit(page, seconds) {
  await wait_for(page, () => window.zarnic_exit_code !== null, seconds);
  return page.evaluate(() => window.zarnic_exit_code);
}

// Escape is looked at only after a frame, so it is held for 2 s at a time,
// up to five times, until the run has ended; returns the exit status. The
// keys go to the page; `frame` is where the program runs, when embedded.
async function hold_escape(page, frame = page) {
  for (let attempt = 0; attempt < 5; attempt++) {
    await page.keyboard.down('Escape');
    await sleep(2000);
    await page.keyboard.up('Escape');
    const code = await frame.evaluate(() => window.zarnic_exit_code);
    if (code !== null) return code;
  }
  return wait_for_exit(frame, 30);
}

module.exports = {launch_browser, open_page, open_embedded, start_by_click, with_started_page, wait_for,
                  wait_after_first_frame, wait_for_exit, hold_escape, sleep};
