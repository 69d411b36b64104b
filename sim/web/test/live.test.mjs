// The live page in a real browser: Debian's Chromium, headless, driven by Playwright. A person's
// session: open the panel by a tap on the status bar, feel a haptic, open the Showcase gallery,
// swipe templates with a mouse drag, open the editor, upload a PNG through the page and add it
// from the picker, save, download the export, type into a text box and draw a pen stroke (whose
// input-to-frame latency and frame sizes are measured). Screenshots of the page on failure.
import { spawn } from 'node:child_process';
import { existsSync, mkdirSync, mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { deflateSync } from 'node:zlib';
import test from 'node:test';
import assert from 'node:assert/strict';

const here = dirname(fileURLToPath(import.meta.url));
const SKIP = 77;
const chromiumPath = '/usr/bin/chromium';
const sim = process.env.FLINT_SIM || join(here, '../../../build/release/bin/flint-sim');
const shots = process.env.FLINT_SCREENSHOTS || join(here, '../../../build/release/live-browser');
const readme = process.env.FLINT_README_SHOT; // where to write the README's picture of the page

let chromium;
try {
  ({ chromium } = await import('playwright-core'));
} catch {
  console.log('live browser test skipped: playwright-core is not installed (./dev setup)');
  process.exit(SKIP);
}
if (!existsSync(chromiumPath) || !existsSync(sim)) {
  console.log(`live browser test skipped: ${existsSync(sim) ? chromiumPath : sim} is missing`);
  process.exit(SKIP);
}

// --- a PNG of one colour with a white square, made here (no image library) ---
const crcTable = Array.from({ length: 256 }, (_, n) => {
  let c = n;
  for (let k = 0; k < 8; k += 1) c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
  return c >>> 0;
});
function crc32(bytes) {
  let c = 0xffffffff;
  for (const b of bytes) c = crcTable[(c ^ b) & 0xff] ^ (c >>> 8);
  return (c ^ 0xffffffff) >>> 0;
}
function chunk(type, data) {
  const out = Buffer.alloc(12 + data.length);
  out.writeUInt32BE(data.length, 0);
  out.write(type, 4, 'ascii');
  data.copy(out, 8);
  out.writeUInt32BE(crc32(out.subarray(4, 8 + data.length)), 8 + data.length);
  return out;
}
function makePng(width, height, [r, g, b]) {
  const rows = Buffer.alloc((width * 3 + 1) * height);
  for (let y = 0; y < height; y += 1)
    for (let x = 0; x < width; x += 1) {
      const at = y * (width * 3 + 1) + 1 + x * 3;
      const inSquare = Math.abs(x - width / 2) < width / 6 && Math.abs(y - height / 2) < height / 6;
      rows[at] = inSquare ? 255 : r;
      rows[at + 1] = inSquare ? 255 : g;
      rows[at + 2] = inSquare ? 255 : b;
    }
  const header = Buffer.alloc(13);
  header.writeUInt32BE(width, 0);
  header.writeUInt32BE(height, 4);
  header[8] = 8;
  header[9] = 2;
  return Buffer.concat([Buffer.from([0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a]), chunk('IHDR', header),
    chunk('IDAT', deflateSync(rows)), chunk('IEND', Buffer.alloc(0))]);
}

// --- the server ---
function startServer(root) {
  return new Promise((resolve, reject) => {
    const child = spawn(sim, ['serve', '--port', '0', '--root', root], { stdio: ['ignore', 'pipe', 'inherit'] });
    let out = '';
    const timer = setTimeout(() => reject(new Error(`no banner from flint-sim serve: ${out}`)), 60000);
    child.stdout.on('data', (data) => {
      out += data;
      const match = out.match(/Flint live at (http:\/\/127\.0\.0\.1:\d+\/)/);
      if (match) {
        clearTimeout(timer);
        resolve({ child, url: match[1] });
      }
    });
    child.on('exit', (code) => reject(new Error(`flint-sim serve exited with ${code}: ${out}`)));
  });
}

const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

// The canvas's pixels at screen points (the canvas holds the screen at the render scale).
async function probe(page, points) {
  return page.evaluate((pts) => {
    const canvas = document.getElementById('screen');
    const scale = canvas.width / window.flintLive.state.width;
    const ctx = canvas.getContext('2d');
    return pts.map(([x, y]) => Array.from(ctx.getImageData(Math.round(x * scale), Math.round(y * scale), 1, 1).data));
  }, points);
}
const grid = [];
for (let y = 150; y < 500; y += 25) for (let x = 30; x < 345; x += 25) grid.push([x, y]);
const middle = [];
for (let y = 120; y < 700; y += 40) for (let x = 40; x < 340; x += 40) middle.push([x, y]);

function changedShare(before, after) {
  let changed = 0;
  before.forEach((p, i) => {
    if (p.some((v, k) => Math.abs(v - after[i][k]) > 8)) changed += 1;
  });
  return changed / before.length;
}

// Waits until the device has come to rest and the page has painted its last frame, or, where
// something keeps moving out of sight (the panel's wave under the editor), until no frame has
// come for 0.7 s.
async function settle(page, limit = 30000) {
  const start = Date.now();
  let frames = -1, since = Date.now();
  while (Date.now() - start < limit) {
    const { restingAt, sequence, frames: now } = await page.evaluate(() => window.flintLive);
    if (restingAt >= 0 && sequence >= restingAt) return;
    if (now !== frames) {
      frames = now;
      since = Date.now();
    } else if (Date.now() - since >= 700) {
      return;
    }
    await sleep(50);
  }
}

async function untilChanged(page, points, before, share, what, limit = 30000) {
  const start = Date.now();
  let last = 0;
  while (Date.now() - start < limit) {
    last = changedShare(before, await probe(page, points));
    if (last >= share) return;
    await sleep(100);
  }
  assert.fail(`${what}: only ${(last * 100).toFixed(0)} % of the probes changed`);
}

test('a person uses the live page', { timeout: 840000 }, async (t) => {
  const root = mkdtempSync(join(tmpdir(), 'flint-live-browser-'));
  const profile = mkdtempSync(join(tmpdir(), 'flint-live-chromium-'));
  const downloads = mkdtempSync(join(tmpdir(), 'flint-live-downloads-'));
  const { child, url } = await startServer(root);
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: chromiumPath,
    headless: true,
    acceptDownloads: true,
    viewport: { width: 900, height: 900 },
    args: ['--no-sandbox', '--headless', '--disable-gpu', '--disable-background-networking',
      '--disable-component-update', '--disable-sync', '--no-first-run'],
  });
  const page = context.pages()[0] || (await context.newPage());
  const pageErrors = [];
  page.on('pageerror', (e) => pageErrors.push(String(e)));
  let step = 'open the page';
  try {
    await page.goto(url);
    await page.waitForFunction(() => window.flintLive.frames > 0 && window.flintLive.state, null, { timeout: 30000 });
    const canvas = await page.locator('#screen').boundingBox();
    const at = (x, y) => [canvas.x + x, canvas.y + y]; // screen points → page pixels (1 CSS pixel per point)
    assert.equal(Math.round(canvas.width), 375);
    await settle(page);

    step = 'tap the status bar';
    let before = await probe(page, grid);
    await page.mouse.click(...at(187, 20));
    await untilChanged(page, grid, before, 0.5, 'the panel after a tap on the status bar');
    await sleep(1500); // the panel's wave never rests

    step = 'a transport button gives a haptic';
    await page.mouse.click(...at(187, 637));
    await page.waitForFunction(() => window.flintLive.haptics > 0, null, { timeout: 30000 });
    assert.ok(await page.locator('#device.shake').count() === 1 || (await page.evaluate(() => window.flintLive.haptics)) > 0);
    assert.ok((await page.locator('#world li[data-kind=haptic]').count()) > 0);
    await sleep(1000);

    step = 'open the Showcase gallery';
    before = await probe(page, middle);
    await page.mouse.click(...at(278, 454));
    await untilChanged(page, middle, before, 0.4, 'the gallery after a click on the Showcase card');
    await settle(page);

    step = 'swipe to another template';
    const templateProbes = [[150, 250], [187, 300], [220, 400], [100, 500], [260, 550]];
    before = await probe(page, templateProbes);
    await page.mouse.move(...at(300, 400));
    await page.mouse.down();
    for (let i = 1; i <= 12; i += 1) {
      await page.mouse.move(...at(300 - (225 * i) / 12, 400));
      await sleep(16);
    }
    await page.mouse.up();
    await untilChanged(page, templateProbes, before, 0.4, 'the next template after a mouse drag');
    await settle(page);

    step = 'open the editor';
    before = await probe(page, middle);
    await page.mouse.click(...at(187, 761));
    await untilChanged(page, middle, before, 0.3, 'the editor after "Customize"');
    await settle(page);

    step = 'upload a PNG through the page';
    await page.locator('#upload').setInputFiles({ name: 'beach.png', mimeType: 'image/png', buffer: makePng(300, 600, [30, 144, 255]) });
    await page.waitForFunction(() => document.querySelectorAll('#photos a').length === 1, null, { timeout: 30000 });

    step = 'add the photo from the picker';
    await page.mouse.click(...at(187, 752)); // the tool card's handle
    await settle(page);
    await page.mouse.click(...at(187.5, 641)); // "Add Image"
    await settle(page);
    before = await probe(page, middle);
    await page.mouse.click(...at(45.5, 135.5)); // the newest photo's thumbnail
    await settle(page);
    // The photo (blue with a white square) now fills the mock-up's screen.
    const blue = (await probe(page, [[187, 230], [150, 330], [230, 200]])).filter(([r, g, b]) => b > 150 && r < 120);
    assert.ok(blue.length >= 2, `the uploaded photo is not in the mock-up: ${JSON.stringify(await probe(page, [[187, 230]]))}`);

    step = 'save the mock-up';
    await page.mouse.click(...at(137.5, 711)); // save
    await settle(page);
    await page.mouse.click(...at(187, 456)); // the alert's button
    await page.waitForFunction(() => document.querySelectorAll('#photos a').length === 2, null, { timeout: 30000 });
    await settle(page);

    step = 'download the export from the photo library';
    const [download] = await Promise.all([page.waitForEvent('download'), page.locator('#photos a').nth(1).click()]);
    const saved = join(downloads, download.suggestedFilename());
    await download.saveAs(saved);
    const bytes = readFileSync(saved);
    assert.ok(bytes.length > 1000, 'the export is a real image');
    assert.deepEqual([...bytes.subarray(0, 4)], [0x89, 0x50, 0x4e, 0x47]);

    if (readme) await page.screenshot({ path: readme });

    step = "share the mock-up to the browser's downloads";
    await page.mouse.click(...at(237.5, 711)); // share
    await settle(page);
    const [shared] = await Promise.all([page.waitForEvent('download'), page.mouse.click(...at(226, 682))]);
    assert.match(shared.suggestedFilename(), /^flint-\d+\.png$/);
    const sharedFile = join(downloads, shared.suggestedFilename());
    await shared.saveAs(sharedFile);
    assert.deepEqual([...readFileSync(sharedFile).subarray(0, 4)], [0x89, 0x50, 0x4e, 0x47]);
    assert.ok((await page.locator('#world li[data-kind=download]').count()) > 0);
    await settle(page);

    {
      step = 'type into a text box';
      // The tool card is still open after the alert: two swipes to its drawing page.
      for (let i = 0; i < 2; i += 1) {
        await page.mouse.move(...at(320, 450));
        await page.mouse.down();
        for (let k = 1; k <= 8; k += 1) await page.mouse.move(...at(320 - (265 * k) / 8, 450));
        await page.mouse.up();
        await settle(page);
      }
      // Strokes and text stay clear until a colour is chosen: the colour slider's thumb to green.
      await page.mouse.move(...at(65, 661));
      await page.mouse.down();
      for (let k = 1; k <= 6; k += 1) await page.mouse.move(...at(65 + (75 * k) / 6, 661));
      await page.mouse.up();
      await settle(page);
      await page.mouse.click(...at(327.5, 571)); // the text tool
      await settle(page);
      await page.mouse.click(...at(187, 421)); // close the tool card
      await settle(page);
      await page.mouse.click(...at(117, 330)); // a text box on the canvas
      await settle(page);
      const errorsBefore = await page.evaluate(() => window.flintLive.errors.length);
      const framesBefore = await page.evaluate(() => window.flintLive.frames);
      await page.keyboard.type('Hello');
      await settle(page);
      const errors = await page.evaluate((n) => window.flintLive.errors.slice(n), errorsBefore);
      assert.deepEqual(errors, [], 'typing reached a focused text box');
      assert.ok((await page.evaluate(() => window.flintLive.frames)) > framesBefore, 'typing changed the screen');
      await page.mouse.click(...at(355, 600)); // ends the editing
      await settle(page);

      step = 'a pen stroke, measured';
      await page.mouse.click(...at(187, 752)); // the tool card opens on its drawing page again
      await settle(page);
      await page.mouse.click(...at(47.5, 571)); // the pen
      await settle(page);
      await page.mouse.click(...at(187, 421));
      await settle(page);
      await page.evaluate(() => {
        window.flintLive.latencies = [];
        window.flintLive.bytes = [];
      });
      await page.mouse.move(...at(80, 200));
      await page.mouse.down();
      for (let k = 1; k <= 90; k += 1) {
        await page.mouse.move(...at(80 + 2.5 * k, 200 + 120 * Math.sin(k / 9)));
        await sleep(16);
      }
      await page.mouse.up();
      await settle(page);
      const { latencies, bytes: frameBytes } = await page.evaluate(() => window.flintLive);
      assert.ok(latencies.length >= 1, "frames followed the stroke");
      const sorted = [...latencies].sort((a, b) => a - b);
      const pick = (q) => sorted[Math.min(sorted.length - 1, Math.floor(q * sorted.length))];
      const sortedBytes = [...frameBytes].sort((a, b) => a - b);
      console.log(`pen stroke at iphone-x: ${latencies.length} frames; input to frame median ${pick(0.5).toFixed(1)} ms, ` +
        `95th percentile ${pick(0.95).toFixed(1)} ms; bytes per frame median ${sortedBytes[Math.floor(sortedBytes.length / 2)]}, ` +
        `max ${sortedBytes[sortedBytes.length - 1]}`);
    }

    step = 'the page';
    assert.deepEqual(pageErrors, []);
  } catch (error) {
    mkdirSync(shots, { recursive: true });
    const file = join(shots, `failure-${step.replace(/\W+/g, '-')}.png`);
    await page.screenshot({ path: file }).catch(() => {});
    console.log(`screenshot of the page: ${file}`);
    throw new Error(`${step}: ${error.message}`);
  } finally {
    await context.close();
    child.kill('SIGTERM');
    rmSync(profile, { recursive: true, force: true });
    rmSync(downloads, { recursive: true, force: true });
    await sleep(300);
    rmSync(root, { recursive: true, force: true });
  }
});
