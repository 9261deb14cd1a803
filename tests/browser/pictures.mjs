// Pictures of the browser view for the README: the real program plays the
// demo race; chromium shows a screen at a phone's and a tablet's width.
//   node tests/browser/pictures.mjs [BUILD_DIR [OUTPUT_DIR]]
// Starts the real program, which takes ports 29105 and 29104.
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import {
  freePort, launchBrowser, run, scratchDir, sleep, startCommentator, stop, waitFor, waitForHttp,
} from './common.mjs';

const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
const build = path.resolve(root, process.argv[2] || 'build');
const out = path.resolve(root, process.argv[3] || 'docs/screens');
const SHOTS = [
  { file: 'browser-phone.png', route: '/points-race', viewport: { width: 360, height: 740 } },
  { file: 'browser-phone-scratch.png', route: '/scratch', viewport: { width: 360, height: 740 } },
  { file: 'browser-tablet.png', route: '/time-trial', viewport: { width: 1280, height: 800 } },
  { file: 'browser-tablet-portrait.png', route: '/', viewport: { width: 800, height: 1280 } },
];

const work = scratchDir('commentator-pictures-');
const profile = scratchDir('commentator-pictures-chromium-');
let program;
let browser;
let status = 0;
try {
  fs.mkdirSync(out, { recursive: true });
  const port = await freePort();
  program = startCommentator(path.join(build, 'src/app/commentator'), work, port);
  await waitForHttp(port, 15000);
  await run(path.join(build, 'tools/tap/commentator-tap'),
    ['play', '--to', '127.0.0.1:29105', '--speed', '20', path.join(root, 'examples/demo-race.cap')], 30000);
  browser = await launchBrowser(profile);
  for (const shot of SHOTS) {
    const page = await browser.newPage();
    await page.setViewportSize(shot.viewport);
    await page.goto(`http://127.0.0.1:${port}${shot.route}`);
    await waitFor('the page to show a screen',
      () => page.evaluate(() => !!document.querySelector('#screen section[data-table]')), 10000);
    await sleep(300);
    const file = path.join(out, shot.file);
    await page.screenshot({ path: file });
    console.log(file);
    await page.close();
  }
} catch (e) {
  console.error(e.stack || String(e));
  status = 1;
} finally {
  if (browser) await browser.close().catch(() => {});
  await stop(program);
  fs.rmSync(work, { recursive: true, force: true });
  fs.rmSync(profile, { recursive: true, force: true });
}
process.exit(status);
