// The browser view in a real browser: the program plays the demo race (and
// two hostile Packets) into its screens; the page must show what the
// screens' models hold, as the program's own encoder writes it out (the
// truth program applies the same Packets to the same models).
//   node browser_test.mjs COMMENTATOR TAP TRUTH DEMO_CAPTURE
import fs from 'node:fs';
import path from 'node:path';
import {
  freePort, launchBrowser, run, scratchDir, startCommentator, stop, waitFor, waitForHttp,
} from './common.mjs';

const [commentatorExe, tapExe, truthExe, demo] = process.argv.slice(2);
if (!demo) {
  console.error('usage: node browser_test.mjs COMMENTATOR TAP TRUTH DEMO_CAPTURE');
  process.exit(2);
}

const HOSTILE = '<img src=x onerror=alert(1)>';
const ROUTES = ['scratch', 'omnium', 'points-race', 'sprint', 'time-trial', 'frame'];
const failures = [];
const fail = (msg) => {
  failures.push(msg);
  console.error('FAIL: ' + msg);
};

// The demo race, then markup in a sprint title and in a scratch name, and an
// 8-bit name, each a few milliseconds apart.
function captureWithExtras(dir) {
  const text = fs.readFileSync(demo, 'latin1');
  const offsets = text.split('\n').filter((l) => /^[0-9]/.test(l)).map((l) => parseFloat(l));
  let t = Math.max(...offsets) + 100;
  const extra = [
    `{sprintf}+{title}${HOSTILE}{eop}`,
    `{scratch}+{list}24{rank}{bib}99{name}${HOSTILE}{nat}{status}{laps}{eop}`,
    '{scratch}+{list}25{rank}{bib}98{name}J\\xC9R\\xD4ME \\xDFCHULZ{nat}{status}{laps}{eop}',
  ].map((p) => `${(t += 100).toFixed(1)} 127.0.0.1:40000 ${p}`);
  const file = path.join(dir, 'race.cap');
  fs.writeFileSync(file, text.replace(/\n?$/, '\n') + extra.join('\n') + '\n', 'latin1');
  return file;
}

// What the page shows: per table its cells, and per column whether it takes
// room; the texts, the chooser, colours of a plain and a fixed cell.
function readDom() {
  const main = document.getElementById('screen');
  const tables = [...main.querySelectorAll('section[data-table]')].map((s) => {
    const rows = [...s.querySelectorAll('tbody tr')];
    const first = rows[0] ? [...rows[0].cells] : [];
    const plain = s.querySelector('td:not(.fixed)');
    const fixed = s.querySelector('td.fixed');
    return {
      id: s.dataset.table,
      title: s.querySelector('.table-title').hidden ? null : s.querySelector('.table-title').textContent,
      cells: rows.map((tr) => [...tr.cells].map((td) => td.textContent)),
      shown: first.map((td) => td.getBoundingClientRect().width > 0),
      cellBg: plain ? getComputedStyle(plain).backgroundColor : null,
      fixedBg: fixed ? getComputedStyle(fixed).backgroundColor : null,
      text: plain ? getComputedStyle(plain).color : null,
    };
  });
  const texts = [...main.querySelectorAll('.screen-title, .readout-value')].map((e) => ({
    role: e.getAttribute('aria-label'),
    text: e.textContent,
  }));
  const chooser = main.querySelector('.chooser-value');
  return {
    screen: main.dataset.screen,
    caption: document.getElementById('caption').textContent,
    tables,
    texts,
    chooser: chooser ? chooser.textContent : null,
    markup: main.querySelectorAll('img, script, [onerror]').length,
  };
}

function rgb(hex) {
  const n = parseInt(hex.slice(1), 16);
  return `rgb(${(n >> 16) & 255}, ${(n >> 8) & 255}, ${n & 255})`;
}

// Differences between the page and one screen of the truth (empty: same).
function differences(dom, screen) {
  const out = [];
  if (dom.screen !== screen.name) out.push(`shows "${dom.screen}" instead of "${screen.name}"`);
  if (dom.caption !== screen.caption) out.push(`caption "${dom.caption}" != "${screen.caption}"`);
  if (dom.markup !== 0) out.push(`${dom.markup} element(s) made from Packet text`);
  if (dom.tables.length !== screen.tables.length) out.push(`${dom.tables.length} tables, not ${screen.tables.length}`);
  screen.tables.forEach((t, i) => {
    const d = dom.tables[i];
    if (!d) return;
    if (d.id !== t.id) out.push(`table ${i} is "${d.id}", not "${t.id}"`);
    if ((d.title ?? null) !== (t.title ?? null)) out.push(`${t.id}: title "${d.title}" != "${t.title}"`);
    const rows = Math.max(d.cells.length, t.cells.length);
    for (let r = 0; r < rows; ++r)
      for (let c = 0; c < t.cols; ++c) {
        const want = (t.cells[r] || [])[c] ?? '';
        const got = (d.cells[r] || [])[c] ?? '';
        if (got !== want) out.push(`${t.id}[${r}][${c}] "${got}" != "${want}"`);
      }
    t.widths.forEach((w, c) => {
      if (d.shown.length && d.shown[c] !== w > 0) out.push(`${t.id}: column ${c} (width ${w}) shown=${d.shown[c]}`);
    });
    if (d.cellBg && d.cellBg !== rgb(t.colours.cell)) out.push(`${t.id}: cell colour ${d.cellBg}`);
    if (d.text && d.text !== rgb(t.colours.text)) out.push(`${t.id}: text colour ${d.text}`);
    if (d.fixedBg && d.fixedBg !== rgb(t.colours.fixed)) out.push(`${t.id}: fixed colour ${d.fixedBg}`);
  });
  const texts = screen.texts || [];
  if (dom.texts.length !== texts.length) out.push(`${dom.texts.length} texts, not ${texts.length}`);
  texts.forEach((x, i) => {
    const d = dom.texts[i];
    if (d && (d.role !== x.role || d.text !== x.text)) out.push(`text ${x.role}: "${d.text}" != "${x.text}"`);
  });
  if (screen.chooser) {
    const want = screen.chooser.entries[screen.chooser.chosen] ?? '';
    if (dom.chooser !== want) out.push(`chooser "${dom.chooser}" != "${want}"`);
  }
  return out;
}

// Waits until the page shows the screen as the truth has it.
async function expectScreen(page, screen, what) {
  let diff = [];
  try {
    await waitFor(what, async () => {
      diff = differences(await page.evaluate(readDom), screen);
      return diff.length === 0;
    }, 10000);
  } catch {
    fail(`${what}: ${diff.slice(0, 8).join('; ')}${diff.length > 8 ? ` (+${diff.length - 8} more)` : ''}`);
  }
}

const work = scratchDir('commentator-browser-');
const profile = scratchDir('commentator-chromium-');
let program;
let browser;
const guard = setTimeout(() => {
  console.error('FAIL: the browser test took over 90 s');
  process.exit(1);
}, 90000);

try {
  const capture = captureWithExtras(work);
  const truth = JSON.parse(await run(truthExe, [capture], 30000));
  // The feed turns red after 2 s of silence, so the page's badge shows soon.
  fs.writeFileSync(path.join(work, 'feedhealth.ini'), '[feed]\namber_after_seconds=1\nred_after_seconds=2\n');
  const port = await freePort();
  program = startCommentator(commentatorExe, work, port);
  await waitForHttp(port, 15000);
  const base = `http://127.0.0.1:${port}`;

  browser = await launchBrowser(profile);
  const dialogs = [];
  browser.on('dialog', (d) => {
    dialogs.push(d.message());
    d.dismiss().catch(() => {});
  });

  // One page follows the screen in front and sees the whole race live.
  const front = await browser.newPage();
  await front.goto(base + '/');
  await waitFor('the page to connect', () => front.locator('#offline').isHidden(), 10000);
  await run(tapExe, ['play', '--to', '127.0.0.1:29105', '--speed', '40', capture], 30000);
  await expectScreen(front, truth.screens[truth.front], `"/" after the race (front ${truth.front})`);

  // Each screen's own address, loaded afresh (the snapshot), shows that screen.
  const page = await browser.newPage();
  await page.setViewportSize({ width: 360, height: 740 });
  for (const name of ROUTES) {
    await page.goto(`${base}/${name}`);
    await expectScreen(page, truth.screens[name], `/${name}`);
    // Texts a little too wide for their columns at a phone's width (the
    // browser's face, or "ToGo" in a heading) show narrower, not cut.
    const cut = await page.evaluate(() => [...document.querySelectorAll('#screen td:not(.gone)')]
      .filter((td) => td.firstElementChild
        ? td.firstElementChild.getBoundingClientRect().right > td.getBoundingClientRect().right - 2.5
        : td.scrollWidth > td.clientWidth)
      .map((td) => td.textContent));
    if (cut.length) fail(`/${name}: texts cut: ${cut.join(', ')}`);
  }

  // Markup from a Packet stays text.
  await page.goto(`${base}/scratch`);
  try {
    await waitFor('the scratch name with markup shown as its text', () => page.evaluate(
      (h) => [...document.querySelectorAll('#screen td')].some((td) => td.textContent === h), HOSTILE), 10000);
  } catch (e) {
    fail(e.message);
  }
  if (dialogs.length) fail(`a Packet opened a dialog: ${dialogs.join(', ')}`);

  // On a short screen the competitors scroll; their heading row stays in view.
  await page.setViewportSize({ width: 360, height: 400 });
  const pinned = await page.evaluate(() => {
    const box = document.querySelector('section[data-table="competitors"] .scroller');
    if (!box || box.scrollHeight <= box.clientHeight) return 'the competitors do not scroll';
    box.scrollTop = 200;
    const top = box.getBoundingClientRect().top;
    const heading = box.querySelector('td.pin-top').getBoundingClientRect().top;
    const rows = box.querySelectorAll('tr');
    const plain = rows[1].cells[0].getBoundingClientRect().top;
    return Math.abs(heading - top) < 2 && plain < top ? '' : `heading at ${heading - top}, first row at ${plain - top}`;
  });
  if (pinned) fail(`scrolled competitors: ${pinned}`);

  // "/" follows the front: a Packet for another screen brings it forward.
  await run(tapExe, ['send', '--to', '127.0.0.1:29105', '{omnium}+{eop}'], 10000);
  try {
    await waitFor('"/" to follow the omnium to the front',
      async () => (await front.evaluate(() => document.getElementById('screen').dataset.screen)) === 'omnium', 10000);
  } catch (e) {
    const seen = await front.evaluate(() => [document.getElementById('screen').dataset.screen,
      document.getElementById('offline').hidden]);
    fail(`${e.message} (shows "${seen[0]}", connected: ${seen[1]})`);
  }

  // The feed silent past its red time: the page wears the screens' badge.
  try {
    await waitFor('the "NO DATA" badge', async () => /^NO DATA \d+:\d\d$/.test(
      await front.evaluate(() => (document.getElementById('stale').hidden ? '' : document.getElementById('stale').textContent))), 10000);
  } catch (e) {
    fail(e.message);
  }

  // The program ends cleanly on SIGTERM, and the page says it is gone.
  const status = await stop(program);
  if (status !== 0) fail(`the program ended with ${status} on SIGTERM`);
  try {
    await waitFor('"Not connected"', () => front.locator('#offline').isVisible(), 10000);
  } catch (e) {
    fail(e.message);
  }
} catch (e) {
  fail(e.stack || String(e));
} finally {
  clearTimeout(guard);
  if (browser) await browser.close().catch(() => {});
  await stop(program);
  fs.rmSync(work, { recursive: true, force: true });
  fs.rmSync(profile, { recursive: true, force: true });
}

if (failures.length) {
  console.error(`${failures.length} failure(s)`);
  process.exit(1);
}
console.log('browser view: every screen shows what its model holds; markup stays text');
