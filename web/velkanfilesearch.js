// <velkan-file-search>: the file-search panel in a web page. The searching runs in the local
// bridge (velkan-webhost); this element draws the panel, keeps only the rows in view and
// passes the page's values, calls and the Connect event across one WebSocket.

const DEFAULT_BRIDGE = 'http://127.0.0.1:8091';
const PROPERTIES = [
  // [property (dispatch name), attribute (persisted name)]
  ['param', 'param'],
  ['search', 'search'],
  ['banWord', 'banword'],
  ['SearchBanWord', 'bansearch'],
  ['replaceParam', 'replaceparam'],
];
// Until the bridge says otherwise: the list's row height and the template's base units.
const DEFAULT_ROW_HEIGHT = 17;
const MAX_WINDOW_ROWS = 1000;
// Browsers stop honouring element heights somewhere past 10^7 pixels; a longer list is
// scrolled proportionally through a spacer of at most this height.
const MAX_SCROLL_HEIGHT = 9_000_000;
// Titles and alignments as the native list's; widths: fixed ones negative, the one positive
// entry a share of what the list's width leaves.
const COLUMNS = [
  { title: '서버닉네임', width: -80, align: 'left' },
  { title: '파일이름', width: 100, align: 'left' },
  { title: '파일크기', width: -80, align: 'right' },
  { title: '날짜', width: -80, align: 'center' },
  { title: '속도', width: -50, align: 'center' },
];
const SCROLL_BAR_ROOM = 18 + 3;
// By the engine's button ids, in the native Tab order (download, stop, then the list, then
// connect and server information), with each one's distance from the panel's right edge.
const BUTTONS = [
  { id: 1, picture: 218, disabled: 211, tip: '다운로드', right: 170 },
  { id: 2, picture: 202, disabled: 203, tip: '검색중지', right: 85 },
  { id: 3, picture: 204, disabled: 205, tip: '서버연결', right: 255 },
  { id: 4, picture: 214, disabled: 215, tip: '서버정보', right: 340 },
];
const BUTTON_SIZE = { width: 90, height: 22 };
const PICTURE_SIZE = { width: 83, height: 23 };
const GAUGE_SIZE = { width: 33, height: 12 };
const ICON_SIDE = 16;
const CELL_FONT_PX = 12;
const VALUE_COLOUR = 'rgb(150, 52, 100)';
// Where the template puts its fixed texts, in dialog units.
const LABELS = {
  progressCaption: { text: '진행 상황 :', rect: [3, 3, 38, 10] },
  foundCaption: { text: '찾은 파일 :', rect: [2, 17, 38, 10] },
  foundText: { rect: [48, 17, 36, 10], colour: VALUE_COLOUR, name: '찾은 파일' },
  identity: { rect: [274, 18, 87, 10], colour: 'rgb(254, 254, 254)' },
};
// The server-information window's template, in its own units.
const SERVER_INFO = {
  size: [147, 177],
  groups: [['공유 정보', [7, 27, 133, 52]], ['기타정보', [7, 87, 133, 61]]],
  labels: [['다운로드', [18, 41, 34, 13]], ['업로드', [18, 57, 34, 13]], ['공유파일 크기', [18, 107, 44, 13]],
    ['공유파일 갯수', [18, 123, 48, 13]], ['개', [122, 123, 13, 13]]],
  values: { title: [7, 7, 133, 12], download: [68, 41, 51, 13], upload: [68, 57, 51, 13], size: [68, 107, 51, 13], count: [68, 123, 51, 13] },
  ok: [96, 154, 44, 16],
};
const ABOUT = { size: [260, 55], icon: [10, 10], version: [40, 10, 170, 8], ok: [221, 7, 32, 14] };
const REASONS = {
  'bridge-unreachable': '검색 도우미(velkan-webhost)에 연결할 수 없습니다.',
  'bridge-closed': '검색 도우미와의 연결이 끊어졌습니다.',
};

// Text as automation makes it of a script's value: integers in decimal, other numbers in
// their shortest form that reads back the same ("1E+21"), true "-1", false "0", undefined "".
export function automationText(value) {
  if (value === undefined) return '';
  if (typeof value === 'boolean') return value ? '-1' : '0';
  if (typeof value === 'number') {
    if (!Number.isFinite(value)) throw new TypeError('not a finite number');
    if (value === 0) return '0';
    if (Number.isInteger(value) && Math.abs(value) < 2 ** 31) return String(value);
    const [mantissa, exponentText] = value.toExponential().split('e');
    const exponent = Number(exponentText);
    const negative = mantissa.startsWith('-');
    const digits = mantissa.replace('-', '').replace('.', '');
    const scientific = `${mantissa}E${exponent < 0 ? '-' : '+'}${String(Math.abs(exponent)).padStart(2, '0')}`;
    let fixed;
    if (exponent >= digits.length - 1) fixed = digits + '0'.repeat(exponent - digits.length + 1);
    else if (exponent >= 0) fixed = `${digits.slice(0, exponent + 1)}.${digits.slice(exponent + 1)}`;
    else fixed = `0.${'0'.repeat(-exponent - 1)}${digits}`;
    if (negative) fixed = `-${fixed}`;
    return scientific.length < fixed.length ? scientific : fixed;
  }
  if (value === null) throw new TypeError('null has no text');
  return String(value);
}

let fontAdded = false;
// A shadow root cannot declare a font face; the document can, once.
function addFont(bridge) {
  if (fontAdded) return;
  fontAdded = true;
  const style = document.createElement('style');
  style.textContent = `@font-face { font-family: 'Velkan NanumGothic'; src: url('${bridge}/font/NanumGothic.ttf'); }`;
  document.head.append(style);
}

// Dialog units to pixels, as the native template's font measures them: x units quarters of the
// average character width, y units eighths of the font's height, each cut to a whole pixel.
function unitRect(base, [x, y, width, height]) {
  const ux = (units) => Math.trunc((units * base.x) / 4);
  const uy = (units) => Math.trunc((units * base.y) / 8);
  return [ux(x), uy(y), ux(width), uy(height)];
}

function place(element, [x, y, width, height]) {
  Object.assign(element.style, { left: `${x}px`, top: `${y}px`, width: `${Math.max(0, width)}px`, height: `${Math.max(0, height)}px` });
}

// The column widths for a list this wide: fixed ones as they are, the share of the room left
// cut toward zero, never below 0.
function columnWidths(listWidth) {
  let room = listWidth - SCROLL_BAR_ROOM;
  for (const { width } of COLUMNS) if (width < 0) room += width;
  return COLUMNS.map(({ width }) => Math.max(0, width < 0 ? -width : Math.trunc((width * room) / 100)));
}

// A picture and its twice-size file for screens of two device pixels per pixel.
function pictureSet(bridge, name) {
  return `image-set(url('${bridge}/pictures/${name}.png') 1x, url('${bridge}/pictures/${name}@2x.png') 2x)`;
}

const STYLE = `
:host { display: inline-block; width: 728px; height: 500px; position: relative; background: #fff; overflow: hidden;
        font: 10pt 'Velkan NanumGothic', 'NanumGothic', sans-serif; color: #000; }
.panel { position: absolute; inset: 0; }
.panel.unmeasured { visibility: hidden; }
.part { position: absolute; box-sizing: border-box; margin: 0; }
.label { white-space: pre; overflow: hidden; cursor: default; user-select: none; }
.bar { border: 1px solid #a8a8a8; border-radius: 2px; background: #fff; overflow: hidden; }
.bar > div { height: 100%; width: 0; background: linear-gradient(#52a6dc, #2f8bc6 45%, #2479b3); border-radius: 1px; }
.grid { border: 1px solid #a8a8a8; display: flex; flex-direction: column; outline: none; background: #fff; }
.head { flex: none; display: grid; overflow: hidden; }
.head > div { position: relative; box-sizing: border-box; padding: 0 4px; white-space: nowrap; overflow: hidden; cursor: default; user-select: none;
              background: linear-gradient(#fdfdfd, #eeeeee); border-right: 1px solid #c4c4c4; border-bottom: 1px solid #c4c4c4; }
.head > div.owner-drawn { background: #efefef; border: 0; }
.head svg { position: absolute; left: 0; top: 0; overflow: visible; }
.scroller { flex: 1; overflow-y: auto; overflow-x: hidden; position: relative; }
.spacer { position: absolute; left: 0; top: 0; width: 1px; }
.rows { position: sticky; top: 0; }
.row { display: grid; white-space: nowrap; font-size: ${CELL_FONT_PX}px; }
.row.odd { background: rgb(244, 240, 240); }
.row[aria-selected="true"] { background: #308cc6; color: #fff; }
.cell { position: relative; overflow: hidden; padding-left: 3px; }
.cell.name { padding-left: ${2 + ICON_SIDE + 2 + 3}px; }
.picture { position: absolute; left: 2px; }
button.part { border: 0; padding: 0; background: #fff; overflow: hidden; outline: none; }
button.part img { position: absolute; pointer-events: none; }
button.part:active:not(:disabled) img { transform: translate(1px, 1px); }
[hidden] { display: none !important; }
.overlay { position: absolute; inset: 0; display: flex; align-items: center; justify-content: center; }
.window { background: #efefef; border: 1px solid #7a7a7a; box-shadow: 0 3px 10px rgba(0, 0, 0, .3); font-size: 9pt; }
.window .title { height: 22px; line-height: 22px; padding: 0 28px 0 8px; background: #dadada; position: relative; white-space: nowrap; user-select: none; }
.window .title .close { position: absolute; right: 2px; top: 2px; width: 18px; height: 18px; line-height: 18px; text-align: center; cursor: default; }
.window .client { position: relative; }
.window .group > span { position: absolute; left: 0; top: 0; line-height: 1.3em; white-space: nowrap; }
.window .group > div { position: absolute; left: 0; right: 0; bottom: 0; top: calc(1.3em + 3px); border: 1px solid #c4c4c4; border-radius: 2px; background: #e8e8e8; }
.window .value { color: ${VALUE_COLOUR}; }
.window button.push { font: inherit; border: 1px solid #a0a0a0; border-radius: 2px; background: linear-gradient(#fbfbfb, #e4e4e4); padding: 0; }
.message button.push { padding: 0 10px; min-height: 22px; }
.window button.push:focus { border-color: #308cc6; outline: none; }
.window.about { font: 8pt sans-serif; }
.message .client { padding: 16px 20px 12px; min-width: 160px; }
.message p { margin: 0 0 14px; white-space: pre-wrap; }
.message .actions { text-align: right; }
.error { position: absolute; inset: 0; display: flex; align-items: center; justify-content: center; background: #fff; color: #a00; padding: 16px; text-align: center; }
`;

export class VelkanFileSearchElement extends HTMLElement {
  static observedAttributes = ['param', 'search', 'banword', 'bansearch', 'replaceparam', 'bridge'];

  #values = new Map();
  #socket = null;
  #active = false;
  #resolveActivated = null;
  #activated = null;
  #state = { gen: 0, rowCount: 0, buttons: [], selected: -1, sortColumn: -1, sortAscending: true };
  #rows = { gen: -1, first: 0, items: [] };
  #window = { first: 0, count: 0 };
  #frame = 0;
  #dom = {};
  // The measures the bridge lays the panel out from (its hello), and the about box's words.
  #metrics = null;
  #aboutText = null;
  #resolveHello = null;
  #hello = new Promise((resolve) => { this.#resolveHello = resolve; });
  #rowHeight = DEFAULT_ROW_HEIGHT;
  #pendingSelection = null;
  // The open server-information window: its query number, its value fields and how it closes.
  #serverInfo = null;

  constructor() {
    super();
    this.#newActivation();
    for (const [property] of PROPERTIES) {
      // A value a page set before this script defined the element is taken over.
      if (Object.prototype.hasOwnProperty.call(this, property)) {
        const value = this[property];
        delete this[property];
        this[property] = value;
      }
    }
    this.#build();
  }

  get activated() { return this.#activated; }
  get rowCount() { return this.#state.rowCount; }
  get bridge() { return (this.getAttribute('bridge') || DEFAULT_BRIDGE).replace(/\/+$/, ''); }
  set bridge(value) { this.setAttribute('bridge', value); }

  attributeChangedCallback(name, _old, value) {
    const entry = PROPERTIES.find(([, attribute]) => attribute === name);
    if (entry) this.#values.set(entry[0], value ?? '');
  }

  connectedCallback() { this.#open(); }

  disconnectedCallback() {
    const socket = this.#socket;
    this.#socket = null;
    if (socket) socket.close(1000);
    this.#active = false;
    this.#newActivation();
  }

  VelkanSearch(text) { if (this.#active) this.#send({ type: 'search', text: automationText(text) }); }
  StopSearch() { if (this.#active) this.#send({ type: 'stop' }); }

  // At any time, once the bridge has said how it is laid out.
  async AboutBox() {
    await this.#hello;
    const base = this.#metrics.about;
    const about = this.#aboutText;
    const { window, client, closed, close } = this.#openWindow(about.title, unitRect(base, [0, 0, ...ABOUT.size]));
    const icon = document.createElement('img');
    icon.className = 'part';
    icon.alt = '';
    icon.src = `${this.bridge}/pictures/icon.png`;
    const [x, y] = unitRect(base, [...ABOUT.icon, 0, 0]);
    place(icon, [x, y, 32, 32]);
    const version = this.#label(about.version, unitRect(base, ABOUT.version));
    const ok = document.createElement('button');
    ok.className = 'part push';
    ok.textContent = about.ok;
    place(ok, unitRect(base, ABOUT.ok));
    ok.addEventListener('click', close);
    client.append(icon, version, ok);
    window.dataset.window = 'about';
    window.classList.add('about');
    ok.focus();
    return closed;
  }

  // What a double click on the row does; row as the list is ordered now.
  connectToRow(row) {
    if (this.#active) this.#send({ type: 'connect', row: Number(row), gen: this.#state.gen });
  }

  #newActivation() {
    this.#activated = new Promise((resolve) => { this.#resolveActivated = resolve; });
  }

  async #open() {
    const bridge = this.bridge;
    addFont(bridge);
    this.#dom.error.hidden = true;
    let access;
    try {
      access = await (await fetch(`${bridge}/access`, { cache: 'no-store' })).json();
    } catch {
      this.#fail('bridge-unreachable', REASONS['bridge-unreachable']);
      return;
    }
    if (!this.isConnected || this.#socket) return;
    if (!access.allowed) {
      this.#fail(access.reason, access.message);
      return;
    }
    const socket = new WebSocket(`${bridge.replace(/^http/, 'ws')}/control`);
    this.#socket = socket;
    let opened = false;
    socket.onopen = () => {
      opened = true;
      // The values are read once, now, as the native control reads its properties.
      const props = {};
      for (const [property, attribute] of PROPERTIES) props[attribute] = automationText(this.#values.get(property) ?? '');
      this.#send({ type: 'activate', props });
      this.#requestWindow();
    };
    socket.onmessage = (event) => this.#receive(JSON.parse(event.data));
    socket.onclose = () => {
      if (this.#socket !== socket) return;
      this.#socket = null;
      this.#active = false;
      if (opened) this.#fail('bridge-closed', REASONS['bridge-closed']);
      else this.#fail('bridge-unreachable', REASONS['bridge-unreachable']);
    };
  }

  #fail(reason, message) {
    this.#dom.error.textContent = message;
    this.#dom.error.hidden = false;
    this.dispatchEvent(new CustomEvent('error', { detail: { reason, message } }));
  }

  // False when there is no open session to take it.
  #send(message) {
    if (!this.#socket || this.#socket.readyState !== WebSocket.OPEN) return false;
    this.#socket.send(JSON.stringify(message));
    return true;
  }

  #receive(message) {
    switch (message.type) {
      case 'hello':
        this.#metrics = message.metrics;
        this.#aboutText = message.about;
        this.#rowHeight = message.metrics.rowHeight;
        this.#layout();
        this.#resolveHello();
        break;
      case 'activated':
        this.#active = true;
        this.#resolveActivated();
        this.dispatchEvent(new Event('activate'));
        break;
      case 'state': {
        // A state sent before the bridge heard the page's latest selection does not undo it.
        const pending = this.#pendingSelection;
        if (pending && message.gen === pending.gen && message.selected !== pending.row) {
          message.selected = pending.row;
        } else {
          this.#pendingSelection = null;
        }
        this.#state = message;
        if (message.rows) this.#rows = { gen: message.gen, first: message.first, items: message.rows };
        this.#render();
        break;
      }
      case 'message':
        this.#messageBox(message.text);
        break;
      case 'serverinfo':
        this.#showServerInfo(message);
        break;
      case 'Connect':
        this.dispatchEvent(new CustomEvent('Connect', {
          detail: { nick: message.nick, folder: message.folder, folderText: message.folderText },
        }));
        break;
      case 'searchidle':
        this.dispatchEvent(new Event('searchidle'));
        break;
      case 'error':
        console.warn(`velkan-file-search: ${message.reason}: ${message.message}`);
        break;
      default:
        break;
    }
  }

  // A static text at its place, top-left aligned on one line per line, as the native labels.
  #label(text, rect, colour) {
    const label = document.createElement('div');
    label.className = 'part label';
    label.textContent = text ?? '';
    if (colour) label.style.color = colour;
    place(label, rect);
    return label;
  }

  // A picture button: the picture centred (halves cut toward zero), shifted (1, 1) while pressed.
  #pictureButton(tip, rect) {
    const button = document.createElement('button');
    button.className = 'part';
    button.title = tip;
    button.setAttribute('aria-label', tip);
    const img = document.createElement('img');
    img.alt = '';
    place(img, [Math.trunc((rect[2] - PICTURE_SIZE.width) / 2), Math.trunc((rect[3] - PICTURE_SIZE.height) / 2),
      PICTURE_SIZE.width, PICTURE_SIZE.height]);
    button.append(img);
    place(button, rect);
    return button;
  }

  #setPicture(img, picture) {
    const bridge = this.bridge;
    img.src = `${bridge}/pictures/${picture}.png`;
    img.srcset = `${bridge}/pictures/${picture}@2x.png 2x`;
  }

  #build() {
    const root = this.attachShadow({ mode: 'open' });
    root.innerHTML = `<style>${STYLE}</style><div class="panel unmeasured"></div><div class="error" role="alert" hidden></div>`;
    const panel = root.querySelector('.panel');
    const labels = {};
    for (const [name, { text, colour, name: accessible }] of Object.entries(LABELS)) {
      labels[name] = this.#label(text, [0, 0, 0, 0], colour);
      labels[name].dataset.part = name;
      if (accessible) labels[name].setAttribute('aria-label', accessible);
    }
    const bar = document.createElement('div');
    bar.className = 'part bar';
    bar.dataset.part = 'progressBar';
    bar.setAttribute('role', 'progressbar');
    bar.setAttribute('aria-label', '진행 상황');
    bar.setAttribute('aria-valuemin', '0');
    bar.setAttribute('aria-valuemax', '100');
    bar.append(document.createElement('div'));
    const progressText = this.#label('', [0, 0, 0, 0], VALUE_COLOUR);
    progressText.dataset.part = 'progressText';
    progressText.setAttribute('aria-label', '진행률');
    const grid = document.createElement('div');
    grid.className = 'part grid';
    grid.dataset.part = 'list';
    grid.tabIndex = 0;
    grid.setAttribute('role', 'grid');
    grid.setAttribute('aria-label', '검색 결과');
    grid.setAttribute('aria-rowcount', '1');
    grid.innerHTML = `<div class="head" role="row" aria-rowindex="1" data-part="header">${COLUMNS.map((c, i) =>
      `<div role="columnheader" data-column="${i}" style="text-align:${c.align}">${c.title}</div>`).join('')}</div>
      <div class="scroller"><div class="spacer"></div><div class="rows" role="rowgroup"></div></div>`;
    const buttons = BUTTONS.map((entry) => {
      const button = this.#pictureButton(entry.tip, [0, 0, BUTTON_SIZE.width, BUTTON_SIZE.height]);
      button.dataset.id = String(entry.id);
      button.dataset.part = `button${entry.id}`;
      return button;
    });
    // Document order is the Tab order: download, stop, the list, connect, server information.
    panel.append(...Object.values(labels), bar, progressText, buttons[0], buttons[1], grid, buttons[2], buttons[3]);
    const $ = (selector) => root.querySelector(selector);
    this.#dom = {
      panel, labels, bar, progressText, grid, head: $('.head'),
      scroller: $('.scroller'), spacer: $('.spacer'), rows: $('.rows'),
      error: $('.error'), buttons, headers: [...root.querySelectorAll('[role=columnheader]')],
    };
    // The list is one Tab stop; its scroller is not another.
    this.#dom.scroller.tabIndex = -1;
    new ResizeObserver(() => this.#layout()).observe(this);
    this.#dom.scroller.addEventListener('scroll', () => this.#requestWindow());
    new ResizeObserver(() => this.#requestWindow()).observe(this.#dom.scroller);
    for (const header of this.#dom.headers) {
      header.addEventListener('click', () => {
        const column = Number(header.dataset.column);
        const ascending = this.#state.sortColumn === column ? !this.#state.sortAscending : true;
        this.#send({ type: 'sort', column, ascending });
      });
    }
    this.#dom.rows.addEventListener('click', (event) => {
      const row = event.target.closest('.row');
      if (row) this.#select(Number(row.dataset.row), 'click');
    });
    this.#dom.rows.addEventListener('dblclick', (event) => {
      const row = event.target.closest('.row');
      if (row) this.connectToRow(Number(row.dataset.row));
    });
    grid.addEventListener('keydown', (event) => this.#key(event));
    panel.addEventListener('keydown', (event) => {
      // Escape is the stop button's key while there is a search to stop.
      if (event.key === 'Escape' && this.#state.buttons?.[1]?.enabled) {
        event.preventDefault();
        this.StopSearch();
      }
    });
    for (const button of buttons) {
      button.addEventListener('click', () => {
        const id = Number(button.dataset.id);
        const named = { row: this.#state.selected, gen: this.#state.gen };
        if (id === 2) this.StopSearch();
        else if (id === 4) this.#send({ type: 'serverinfo', ...named });
        else this.#send({ type: 'connect', ...named });
      });
    }
  }

  // The native panel's layout for the element's size: the template's texts and progress bar at
  // their places, the list 56 pixels from the top and 34 from the bottom, the buttons 25 above
  // the bottom at fixed distances from the right edge, the columns from the list's width.
  #layout() {
    const metrics = this.#metrics;
    if (!metrics) return;
    const d = this.#dom;
    const width = this.clientWidth;
    const height = this.clientHeight;
    const base = metrics.panel;
    for (const [name, { rect }] of Object.entries(LABELS)) {
      place(d.labels[name], unitRect(base, rect));
      d.labels[name].style.lineHeight = `${base.y}px`;
    }
    const [barLeft, barTop, , barHeight] = unitRect(base, [48, 2, 292, 11]);
    place(d.bar, [barLeft, barTop, width - 50 - barLeft, barHeight]);
    const [, textTop, , textHeight] = unitRect(base, [344, 3, 16, 9]);
    place(d.progressText, [width - 49, textTop, metrics.percentWidth, textHeight]);
    d.progressText.style.lineHeight = `${base.y}px`;
    place(d.grid, [0, 56, width - 2, height - 90]);
    d.head.style.height = `${metrics.headerHeight}px`;
    d.head.style.lineHeight = `${metrics.headerHeight}px`;
    const columns = columnWidths(width - 2).map((w) => `${w}px`).join(' ');
    d.head.style.gridTemplateColumns = `${columns} 1fr`;
    this.style.setProperty('--columns', columns);
    d.rows.style.setProperty('--columns', columns);
    BUTTONS.forEach((entry, index) => {
      place(d.buttons[index], [width - entry.right, height - 25, BUTTON_SIZE.width, BUTTON_SIZE.height]);
    });
    d.panel.classList.remove('unmeasured');
    this.#requestWindow();
  }

  // The selection is the page's: shown at once, and told to the bridge with the generation the
  // page saw, so that Enter right after a click names the clicked row.
  #select(row, type) {
    if (!this.#send({ type, row, gen: this.#state.gen })) return;
    this.#pendingSelection = { row, gen: this.#state.gen };
    this.#state = { ...this.#state, selected: row };
    this.#render();
  }

  #key(event) {
    const selected = this.#state.selected;
    if (event.key === 'Enter') {
      event.preventDefault();
      this.#send({ type: 'connect', row: selected, gen: this.#state.gen });
    } else if (event.key === 'ArrowDown' || event.key === 'ArrowUp') {
      event.preventDefault();
      const next = Math.max(0, Math.min(this.#state.rowCount - 1, selected + (event.key === 'ArrowDown' ? 1 : -1)));
      if (next >= 0) this.#select(next, 'select');
    }
  }

  // The first row in view and how many fit, from the scroll position.
  #visible() {
    const { scroller } = this.#dom;
    const count = this.#state.rowCount;
    const fit = Math.ceil(scroller.clientHeight / this.#rowHeight) + 1;
    const fullHeight = count * this.#rowHeight;
    const height = Math.min(fullHeight, MAX_SCROLL_HEIGHT);
    const room = Math.max(0, height - scroller.clientHeight);
    const lastFirst = Math.max(0, count - fit + 1);
    const first = room === 0 ? 0 : Math.min(lastFirst, Math.round((scroller.scrollTop / room) * lastFirst));
    return { first, fit: Math.min(fit, MAX_WINDOW_ROWS), height };
  }

  #requestWindow() {
    if (this.#frame) return;
    this.#frame = requestAnimationFrame(() => {
      this.#frame = 0;
      const { first, fit } = this.#visible();
      if ((first !== this.#window.first || fit !== this.#window.count) &&
          this.#send({ type: 'window', first, count: fit })) {
        this.#window = { first, count: fit };
      }
      this.#render();
    });
  }

  // The sort arrow of a heading h pixels high ending at r, as the native heading draws it: a
  // light and a dark line, o = h / 4 from the edges.
  #arrow(r, h, ascending) {
    const o = Math.trunc(h / 4);
    const b = h;
    const line = (colour, points) => `<polyline fill="none" stroke="${colour}" stroke-width="1" points="${
      points.map(([x, y]) => `${x + 0.5},${y + 0.5}`).join(' ')}"/>`;
    const light = '#ffffff';
    const dark = '#9f9f9f';
    const shape = ascending
      ? line(light, [[r - 2 * o, o], [r - o, b - o - 1], [r - 3 * o - 2, b - o - 1]]) + line(dark, [[r - 3 * o - 1, b - o - 1], [r - 2 * o, o - 1]])
      : line(light, [[r - o - 1, o], [r - 2 * o - 1, b - o]]) + line(dark, [[r - 2 * o - 2, b - o], [r - 3 * o - 1, o], [r - o - 1, o]]);
    return `<svg width="${r}" height="${h}" aria-hidden="true">${shape}</svg>`;
  }

  #render() {
    const s = this.#state;
    const d = this.#dom;
    const bridge = this.bridge;
    const progress = s.progress ?? 0;
    d.bar.firstElementChild.style.width = `${progress}%`;
    d.bar.setAttribute('aria-valuenow', String(progress));
    d.progressText.textContent = s.progressText ?? '0%';
    d.labels.foundText.textContent = s.foundText ?? '0 개';
    d.labels.identity.textContent = s.identity ?? 'VELKAN';
    d.grid.setAttribute('aria-rowcount', String(s.rowCount + 1));
    const { first, height } = this.#visible();
    d.spacer.style.height = `${height}px`;
    if (first !== this.#window.first) this.#requestWindow();
    // The headings cover the rows' width, not the scroll bar's.
    d.head.style.width = `${d.scroller.clientWidth}px`;
    const headerHeight = this.#metrics?.headerHeight ?? 0;
    d.headers.forEach((header, column) => {
      const sorted = s.sortColumn === column;
      header.setAttribute('aria-sort', sorted ? (s.sortAscending ? 'ascending' : 'descending') : 'none');
      // A column once sorted keeps the plain owner-drawn look, with the arrow while it is the sort column.
      if (sorted) header.classList.add('owner-drawn');
      const o = Math.trunc(headerHeight / 4);
      header.style.paddingRight = `${o + (sorted ? 3 * o : 0)}px`;
      header.style.paddingLeft = `${o}px`;
      const arrow = sorted ? this.#arrow(header.offsetWidth, headerHeight, s.sortAscending) : '';
      header.innerHTML = `${escapeHtml(COLUMNS[column].title)}${arrow}`;
    });
    d.buttons.forEach((button, index) => {
      const entry = BUTTONS[index];
      const state = s.buttons?.[entry.id - 1] ?? { enabled: false, visible: entry.id !== 3 && entry.id !== 4 };
      button.hidden = !state.visible;
      button.disabled = !state.enabled;
      this.#setPicture(button.firstElementChild, state.enabled ? entry.picture : entry.disabled);
    });
    const rowHeight = this.#rowHeight;
    const pictureTop = (side) => Math.trunc(rowHeight / 2) - Math.trunc(side / 2);
    const rows = [];
    if (this.#rows.gen === s.gen) {
      this.#rows.items.forEach((item, index) => {
        const row = this.#rows.first + index;
        if (row < first || row >= first + this.#window.count) return;
        let picture = '';
        if (item.folderPicture !== undefined) {
          picture = `<span class="picture" style="top:${pictureTop(ICON_SIDE)}px;width:${ICON_SIDE}px;height:${ICON_SIDE}px;background:${
            pictureSet(bridge, 220)} ${-ICON_SIDE * item.folderPicture}px 0 / ${8 * ICON_SIDE}px ${ICON_SIDE}px no-repeat"></span>`;
        } else {
          // A file without an extension the bridge serves pictures for shows the plain file picture.
          const ext = item.ext || '_';
          picture = `<img class="picture" style="top:${pictureTop(ICON_SIDE)}px" width="${ICON_SIDE}" height="${ICON_SIDE}" alt=""
            src="${bridge}/icons/16/${ext}.png" srcset="${bridge}/icons/32/${ext}.png 2x">`;
        }
        const cells = item.cells.map((text, column) => `<div role="gridcell" class="cell${column === 1 ? ' name' : ''}" style="text-align:${
          COLUMNS[column].align}">${column === 1 ? picture : ''}${escapeHtml(text)}</div>`).join('');
        const level = item.speed ?? 0;
        const gauge = `<div role="gridcell" class="cell" aria-label="${level}/5"><span class="picture" style="top:${pictureTop(GAUGE_SIZE.height)}px;width:${
          GAUGE_SIZE.width}px;height:${GAUGE_SIZE.height}px;background:${pictureSet(bridge, 213)} ${-GAUGE_SIZE.width * level}px 0 / ${
          6 * GAUGE_SIZE.width}px ${GAUGE_SIZE.height}px no-repeat"></span></div>`;
        rows.push({ row, html: `<div class="row${row % 2 ? ' odd' : ''}" role="row" data-row="${row}" aria-rowindex="${row + 2}" style="height:${
          rowHeight}px;line-height:${rowHeight}px;grid-template-columns:var(--columns)">${cells}${gauge}</div>` });
      });
    }
    this.#showRows(rows, s.selected);
  }

  // Rows whose drawing did not change keep their elements, so that the two clicks of a double
  // click land on one row even when a state arrives between them.
  #showRows(rows, selected) {
    const kept = new Map();
    for (const element of this.#dom.rows.children) kept.set(element.dataset.row, element);
    const parser = document.createElement('template');
    const elements = rows.map(({ row, html }) => {
      let element = kept.get(String(row));
      if (!element || element.velkanHtml !== html) {
        parser.innerHTML = html;
        element = parser.content.firstElementChild;
        element.velkanHtml = html;
      }
      element.setAttribute('aria-selected', String(row === selected));
      return element;
    });
    this.#dom.rows.replaceChildren(...elements);
  }

  // An in-page window over the panel: a title bar and a client area of the given size. Enter
  // and Escape close it, as its OK button and close box do.
  #openWindow(title, [, , width, height], className = '') {
    const overlay = document.createElement('div');
    overlay.className = 'overlay';
    const window = document.createElement('div');
    window.className = `window ${className}`;
    window.setAttribute('role', 'dialog');
    window.setAttribute('aria-modal', 'true');
    window.setAttribute('aria-label', title || '');
    const bar = document.createElement('div');
    bar.className = 'title';
    bar.textContent = title;
    // The close box is the window's frame, not one of its controls.
    const closeBox = document.createElement('span');
    closeBox.className = 'close';
    closeBox.setAttribute('aria-hidden', 'true');
    closeBox.textContent = '✕';
    bar.append(closeBox);
    const client = document.createElement('div');
    client.className = 'client';
    if (width) Object.assign(client.style, { width: `${width}px`, height: `${height}px` });
    window.append(bar, client);
    overlay.append(window);
    let resolveClosed;
    const closed = new Promise((resolve) => { resolveClosed = resolve; });
    const close = () => {
      if (!overlay.isConnected) return;
      overlay.remove();
      resolveClosed();
    };
    closeBox.addEventListener('click', close);
    overlay.addEventListener('keydown', (event) => {
      event.stopPropagation();
      if (event.key === 'Escape' || event.key === 'Enter') {
        event.preventDefault();
        close();
      } else if (event.key === 'Tab') {
        event.preventDefault(); // the window's one control keeps the focus
      }
    });
    this.shadowRoot.append(overlay);
    return { window, client, closed, close };
  }

  // The panel's message box: the text and an OK button, no title of its own.
  #messageBox(text) {
    const { window, client, closed, close } = this.#openWindow('', [0, 0, 0, 0], 'message');
    window.dataset.window = 'message';
    client.innerHTML = '<p></p><div class="actions"><button class="push">OK</button></div>';
    client.querySelector('p').textContent = text;
    const ok = client.querySelector('button');
    ok.addEventListener('click', close);
    ok.focus();
    return closed;
  }

  // The server-information window: opened with its title when the bridge starts the query,
  // filled with the figures when they come; closing it ends the conversation.
  #showServerInfo(message) {
    const current = this.#serverInfo;
    if (message.title !== undefined) {
      current?.close();
      const base = this.#metrics.serverInfo;
      const { window, client, closed, close } = this.#openWindow('서버정보', unitRect(base, [0, 0, ...SERVER_INFO.size]));
      window.dataset.window = 'serverinfo';
      for (const [title, rect] of SERVER_INFO.groups) {
        const group = document.createElement('div');
        group.className = 'part group';
        place(group, unitRect(base, rect));
        // Its title above its frame, as the native group box draws them.
        const caption = document.createElement('span');
        caption.textContent = title;
        group.append(caption, document.createElement('div'));
        client.append(group);
      }
      for (const [text, rect] of SERVER_INFO.labels) client.append(this.#label(text, unitRect(base, rect)));
      const values = {};
      for (const [name, rect] of Object.entries(SERVER_INFO.values)) {
        values[name] = this.#label(name === 'title' ? message.title : '', unitRect(base, rect));
        values[name].classList.add('value');
        values[name].dataset.value = name;
        client.append(values[name]);
      }
      const ok = this.#pictureButton('확인', unitRect(base, SERVER_INFO.ok));
      this.#setPicture(ok.firstElementChild, 219);
      ok.style.background = 'transparent';
      ok.addEventListener('click', close);
      client.append(ok);
      const info = { query: message.query, values, close };
      this.#serverInfo = info;
      closed.then(() => {
        if (this.#serverInfo !== info) return;
        this.#serverInfo = null;
        this.#send({ type: 'serverinfoclose' });
      });
      ok.focus();
      return;
    }
    // A late answer for a window already closed is dropped; a failure leaves the values empty.
    if (!current || current.query !== message.query || message.download === undefined) return;
    for (const name of ['download', 'upload', 'size', 'count']) current.values[name].textContent = message[name];
  }
}

function escapeHtml(text) {
  return text.replace(/[&<>"']/g, (c) => `&#${c.charCodeAt(0)};`);
}

for (const [property] of PROPERTIES) {
  Object.defineProperty(VelkanFileSearchElement.prototype, property, {
    get() { return this.getAttribute(PROPERTIES.find(([p]) => p === property)[1]) ?? ''; },
    // Attribute and property are one value: the last write wins.
    set(value) { this.setAttribute(PROPERTIES.find(([p]) => p === property)[1], automationText(value)); },
    configurable: true,
    enumerable: true,
  });
}

if (!customElements.get('velkan-file-search')) customElements.define('velkan-file-search', VelkanFileSearchElement);
