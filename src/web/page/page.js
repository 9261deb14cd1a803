// The browser view of the commentator screens: follows the program's
// WebSocket /live and shows one screen as its window does. Every text from
// the program is set with textContent, so a Packet can never become markup.
'use strict';

(() => {
  const NAMES = ['scratch', 'omnium', 'points-race', 'sprint', 'time-trial', 'frame'];
  const LEVELS = ['waiting', 'ok', 'amber', 'red'];
  const RECONNECT_MS = 2000;
  const MIN_FONT_PX = 14;   // smallest text a phone still reads at arm's length
  const MAX_SCALE = 1.25;   // a wide tablet may show the tables a little larger
  const CELL_EDGES = 7;     // a cell's padding (3 px a side) and right border (page.css)

  const route = location.pathname.replace(/^\/+|\/+$/g, '');
  const followsFront = !NAMES.includes(route);
  const state = { front: null, feed: null, screens: Object.create(null) };
  let view = null;
  let resizeQueued = false;

  const byId = (id) => document.getElementById(id);
  const el = (tag, cls) => {
    const e = document.createElement(tag);
    if (cls) e.className = cls;
    return e;
  };
  const colour = (c, fallback) => (typeof c === 'string' && /^#[0-9a-fA-F]{6}$/.test(c) ? c : fallback);
  const str = (v) => (typeof v === 'string' ? v : v == null ? '' : String(v));
  const setText = (e, text) => {
    if (e.textContent !== text) e.textContent = text;
  };

  function shownName() {
    return followsFront ? state.front : route;
  }

  // ---- tables --------------------------------------------------------------

  function tableShape(t) {
    return JSON.stringify([t.cols, t.fixed_rows, t.fixed_cols, t.widths, t.colours, t.font]);
  }

  function buildTableView(t) {
    const section = el('section', 'table-box');
    section.dataset.table = str(t.id);
    const title = el('h2', 'table-title');
    section.appendChild(title);
    const scroller = el('div', 'scroller');
    const table = el('table', 'grid');
    table.setAttribute('aria-label', str(t.title || t.id));
    const colgroup = el('colgroup');
    const tbody = el('tbody');
    table.append(colgroup, tbody);
    scroller.appendChild(table);
    section.appendChild(scroller);
    return { id: t.id, section, title, scroller, table, colgroup, tbody, shape: '', rows: [], t: null };
  }

  // Builds the columns and styles of a table whose shape (columns, fixed
  // rows and columns, widths, colours, face) changed; rows are kept apart.
  function shapeTable(tv, t) {
    tv.shape = tableShape(t);
    tv.t = t;
    tv.colgroup.replaceChildren();
    tv.tbody.replaceChildren();
    tv.rows = [];
    const cols = Math.max(0, t.cols | 0);
    for (let c = 0; c < cols; ++c) tv.colgroup.appendChild(el('col'));
    const colours = t.colours || {};
    const s = tv.table.style;
    s.setProperty('--cell', colour(colours.cell, '#000000'));
    s.setProperty('--text', colour(colours.text, '#ffffff'));
    s.setProperty('--fixed', colour(colours.fixed, '#800080'));
    const font = t.font || {};
    s.fontFamily = JSON.stringify(str(font.family) || 'sans-serif') + ', "DejaVu Sans", sans-serif';
    s.fontWeight = font.bold ? '700' : '400';
    // As narrow as the window's face: the widths were made for it.
    const stretch = Number(font.stretch);
    s.fontStretch = stretch >= 50 && stretch <= 200 ? stretch + '%' : '';
    tv.stretch = stretchKeyword(stretch);
    sizeTable(tv);
  }

  // The named width nearest a stretch, as a canvas takes it.
  function stretchKeyword(stretch) {
    const names = [[56, 'ultra-condensed'], [68, 'extra-condensed'], [81, 'condensed'],
      [93, 'semi-condensed'], [106, 'normal'], [118, 'semi-expanded'], [137, 'expanded'],
      [175, 'extra-expanded']];
    if (!(stretch >= 50 && stretch <= 200)) return 'normal';
    const found = names.find(([upTo]) => stretch < upTo);
    return found ? found[1] : 'ultra-expanded';
  }

  function widthOf(t, c) {
    const w = Array.isArray(t.widths) ? Number(t.widths[c]) : 0;
    return Number.isFinite(w) && w > 0 ? w : 0;
  }

  // Scales the window's column widths and face to the browser's width:
  // as large as fits, but never below a readable size (the box then scrolls
  // sideways with its fixed columns kept in view).
  function sizeTable(tv) {
    const t = tv.t;
    if (!t) return;
    const cols = tv.colgroup.children.length;
    let total = 0;
    for (let c = 0; c < cols; ++c) total += widthOf(t, c);
    const fontPx = Math.max(1, Number(t.font && t.font.px) || 16);
    const avail = Math.max(200, document.documentElement.clientWidth - 24);
    let scale = total > 0 ? Math.min(avail / total, MAX_SCALE) : 1;
    scale = Math.max(scale, MIN_FONT_PX / fontPx);
    const rowPx = Math.round(fontPx * scale * 1.35) + 2;
    const s = tv.table.style;
    s.setProperty('--fs', (fontPx * scale).toFixed(1) + 'px');
    s.setProperty('--rh', rowPx + 'px');
    s.width = Math.round(total * scale) + 'px';
    tv.left = [];
    tv.room = [];
    let left = 0;
    for (let c = 0; c < cols; ++c) {
      const w = widthOf(t, c) * scale;
      const col = tv.colgroup.children[c];
      col.style.width = w.toFixed(1) + 'px';
      col.classList.toggle('gone', w === 0);
      tv.left.push(left);
      tv.room.push(w - CELL_EDGES);
      left += w;
    }
    tv.rowPx = rowPx;
    tv.rows.forEach((rv, r) => placeRow(tv, rv, r));
    tv.facePx = fontPx * scale;
    tv.face = `${s.fontWeight} ${tv.facePx.toFixed(1)}px ${s.fontFamily}`;
    tv.rows.forEach((rv) => rv.cells.forEach((td, c) => showCell(tv, td, c, rv.texts[c])));
  }

  function placeRow(tv, rv, r) {
    const t = tv.t;
    rv.cells.forEach((td, c) => {
      const fixedRow = r < t.fixed_rows;
      const fixedCol = c < t.fixed_cols;
      td.style.top = fixedRow ? r * tv.rowPx + 'px' : '';
      td.style.left = fixedCol ? tv.left[c].toFixed(1) + 'px' : '';
    });
  }

  function addRow(tv, r) {
    const t = tv.t;
    const tr = el('tr');
    const cells = [];
    const cols = tv.colgroup.children.length;
    for (let c = 0; c < cols; ++c) {
      const fixedRow = r < t.fixed_rows;
      const fixedCol = c < t.fixed_cols;
      let cls = fixedRow || fixedCol ? 'fixed' : '';
      if (fixedRow) cls += ' pin-top';
      if (fixedCol) cls += ' pin-left';
      if (widthOf(t, c) === 0) cls += ' gone';
      const td = el('td', cls.trim());
      cells.push(td);
      tr.appendChild(td);
    }
    const rv = { tr, cells, texts: new Array(cols).fill('') };
    tv.rows.push(rv);
    tv.tbody.appendChild(tr);
    placeRow(tv, rv, r);
  }

  // Brings a table up to date, touching only the cells whose text changed.
  function updateTable(tv, t) {
    if (tableShape(t) !== tv.shape) shapeTable(tv, t);
    tv.t = t;
    setText(tv.title, str(t.title));
    tv.title.hidden = !t.title;
    const rows = Math.max(0, t.rows | 0);
    while (tv.rows.length > rows) tv.tbody.removeChild(tv.rows.pop().tr);
    while (tv.rows.length < rows) addRow(tv, tv.rows.length);
    const cells = Array.isArray(t.cells) ? t.cells : [];
    for (let r = 0; r < rows; ++r) {
      const rv = tv.rows[r];
      const line = Array.isArray(cells[r]) ? cells[r] : [];
      for (let c = 0; c < rv.cells.length; ++c) {
        const text = str(line[c]);
        if (rv.texts[c] === text) continue;
        rv.texts[c] = text;
        showCell(tv, rv.cells[c], c, text);
      }
    }
  }

  // A heading too wide for its column shows narrower, as in the windows,
  // never cut ("ToGo" read "ToG"), down to half its width. Other cells are
  // cut as in the windows, but a browser's glyphs may run a little wider
  // than Qt's: a cell a fifth too narrow or less shows narrower too. Texts
  // are measured on a canvas in the table's face: asking the page for their
  // width would lay it out in every message's handler.
  function showCell(tv, td, c, text) {
    const room = tv.room[c];
    // No glyph of these faces is as wide as 1.2 times their size (the bold
    // "W" comes nearest): most texts fit without being measured.
    const wide = text && room > 0 && text.length * tv.facePx * 1.2 > room ? textWidth(tv, text) : 0;
    const scale = wide > room ? room / wide : 1;
    if (scale >= 1 || scale < (td.classList.contains('fixed') ? 0.5 : 0.8)) {
      td.textContent = text;
      return;
    }
    const span = el('span', 'fit');
    span.textContent = text;
    span.style.transform = `scaleX(${scale.toFixed(3)})`;
    td.replaceChildren(span);
  }

  // Widths measured so far, by face and text: the same names and times
  // come again and again.
  const measure = document.createElement('canvas').getContext('2d');
  const widths = new Map();
  let measuring = '';
  function textWidth(tv, text) {
    const face = tv.face + '|' + tv.stretch;
    const key = face + '|' + text;
    let wide = widths.get(key);
    if (wide !== undefined) return wide;
    if (measuring !== face) {
      measure.font = tv.face;
      measure.fontStretch = tv.stretch;
      measuring = face;
    }
    wide = measure.measureText(text).width;
    if (widths.size >= 4096) widths.clear();
    widths.set(key, wide);
    return wide;
  }

  // ---- read-outs, titles, chooser ------------------------------------------

  function isTitle(role) {
    return /title/i.test(role);
  }

  function buildText(item) {
    const role = str(item.role);
    if (isTitle(role)) {
      const h = el('h2', 'screen-title');
      h.setAttribute('aria-label', role);
      return { role, box: h, value: h };
    }
    const box = el('div', 'readout');
    const label = el('span', 'readout-role');
    label.textContent = role;
    const value = el('span', 'readout-value');
    value.setAttribute('aria-label', role);
    box.append(label, value);
    return { role, box, value };
  }

  function buildChooser() {
    const box = el('div', 'chooser');
    box.setAttribute('role', 'status');
    box.setAttribute('aria-label', 'Chosen sprint');
    const value = el('span', 'chooser-value');
    box.appendChild(value);
    return { box, value };
  }

  // ---- a whole screen --------------------------------------------------------

  function structureOf(screen) {
    const tables = Array.isArray(screen.tables) ? screen.tables : [];
    const texts = Array.isArray(screen.texts) ? screen.texts : [];
    return JSON.stringify([
      screen.name,
      tables.map((t) => str(t.id)),
      texts.map((x) => str(x.role)),
      !!screen.chooser,
    ]);
  }

  function buildView(screen) {
    const main = byId('screen');
    main.replaceChildren();
    main.dataset.screen = str(screen.name);
    const v = { name: screen.name, structure: structureOf(screen), tables: [], texts: [], chooser: null };
    const texts = Array.isArray(screen.texts) ? screen.texts : [];
    if (texts.length) {
      const block = el('div', 'texts');
      for (const item of texts) {
        const tv = buildText(item);
        v.texts.push(tv);
        block.appendChild(tv.box);
      }
      main.appendChild(block);
    }
    const tablesBox = el('div', 'tables');
    const tables = Array.isArray(screen.tables) ? screen.tables : [];
    for (const t of tables) {
      const tv = buildTableView(t);
      v.tables.push(tv);
      tablesBox.appendChild(tv.section);
    }
    main.appendChild(tablesBox);
    if (screen.chooser) {
      // The chooser sits with the last table (the points race's sprints).
      v.chooser = buildChooser();
      const last = v.tables[v.tables.length - 1];
      if (last) last.section.insertBefore(v.chooser.box, last.scroller);
      else main.appendChild(v.chooser.box);
    }
    view = v;
  }

  function luminance(hex) {
    const n = parseInt(hex.slice(1), 16);
    return (0.2126 * ((n >> 16) & 255) + 0.7152 * ((n >> 8) & 255) + 0.0722 * (n & 255)) / 255;
  }

  function updateView(screen) {
    const caption = str(screen.caption);
    setText(byId('caption'), caption);
    if (document.title !== caption) document.title = caption || 'Commentator screen';
    const bg = colour(screen.background, '#000080');
    if (document.body.style.backgroundColor !== bg) {
      document.body.style.backgroundColor = bg;
      document.body.classList.toggle('light', luminance(bg) > 0.55);
    }
    const texts = Array.isArray(screen.texts) ? screen.texts : [];
    texts.forEach((item, i) => setText(view.texts[i].value, str(item.text)));
    const tables = Array.isArray(screen.tables) ? screen.tables : [];
    tables.forEach((t, i) => updateTable(view.tables[i], t));
    if (view.chooser) {
      const entries = Array.isArray(screen.chooser.entries) ? screen.chooser.entries : [];
      const chosen = screen.chooser.chosen | 0;
      setText(view.chooser.value, chosen >= 0 && chosen < entries.length ? str(entries[chosen]) : '');
    }
  }

  function render() {
    const name = shownName();
    const screen = name ? state.screens[name] : null;
    if (!screen || typeof screen !== 'object') {
      view = null;
      const main = byId('screen');
      main.dataset.screen = '';
      const p = el('p', 'empty');
      p.textContent = followsFront ? 'No screen in front yet' : 'Nothing received for this screen yet';
      main.replaceChildren(p);
      setText(byId('caption'), 'Commentator screen');
      return;
    }
    if (!view || view.structure !== structureOf(screen)) buildView(screen);
    updateView(screen);
  }

  // ---- feed health and connection ----------------------------------------------

  function staleText(seconds) {
    const s = Math.max(0, Math.floor(seconds));
    return 'NO DATA ' + Math.floor(s / 60) + ':' + String(s % 60).padStart(2, '0');
  }

  function showFeed() {
    const feed = state.feed || {};
    const line = byId('feed');
    setText(line, str(feed.text));
    const level = LEVELS.includes(feed.level) ? feed.level : 'waiting';
    line.className = 'feed ' + level;
    const badge = byId('stale');
    const stale = typeof feed.stale_s === 'number' && Number.isFinite(feed.stale_s);
    badge.hidden = !stale;
    if (stale) setText(badge, staleText(feed.stale_s));
  }

  function setConnected(on) {
    byId('offline').hidden = on;
    document.body.classList.toggle('disconnected', !on);
  }

  function handle(data) {
    let msg;
    try {
      msg = JSON.parse(data);
    } catch (e) {
      return;
    }
    if (!msg || typeof msg !== 'object') return;
    switch (msg.type) {
      case 'snapshot':
        state.front = NAMES.includes(msg.front) ? msg.front : null;
        state.feed = msg.feed || null;
        state.screens = Object.create(null);
        for (const name of NAMES)
          if (msg.screens && msg.screens[name]) state.screens[name] = msg.screens[name];
        showFeed();
        render();
        break;
      case 'screen':
        if (!msg.screen || !NAMES.includes(msg.screen.name)) return;
        state.screens[msg.screen.name] = msg.screen;
        if (msg.screen.name === shownName()) render();
        break;
      case 'front':
        if (!NAMES.includes(msg.front)) return;
        state.front = msg.front;
        if (followsFront) render();
        break;
      case 'feed':
        state.feed = msg.feed || null;
        showFeed();
        break;
    }
  }

  function connect() {
    const scheme = location.protocol === 'https:' ? 'wss://' : 'ws://';
    let ws;
    try {
      ws = new WebSocket(scheme + location.host + '/live');
    } catch (e) {
      setTimeout(connect, RECONNECT_MS);
      return;
    }
    ws.onopen = () => setConnected(true);
    ws.onmessage = (ev) => handle(ev.data);
    ws.onclose = () => {
      setConnected(false);
      setTimeout(connect, RECONNECT_MS);
    };
  }

  window.addEventListener('resize', () => {
    if (resizeQueued) return;
    resizeQueued = true;
    requestAnimationFrame(() => {
      resizeQueued = false;
      if (view) view.tables.forEach(sizeTable);
    });
  });

  // Marks the link of the screen shown by this address.
  for (const a of document.querySelectorAll('#routes a'))
    if (a.getAttribute('href') === '/' + route) a.setAttribute('aria-current', 'page');

  setConnected(false);
  render();
  connect();
})();
