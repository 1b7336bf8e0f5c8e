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
const ROW_HEIGHT = 17;
const MAX_WINDOW_ROWS = 1000;
// Browsers stop honouring element heights somewhere past 10^7 pixels; a longer list is
// scrolled proportionally through a spacer of at most this height.
const MAX_SCROLL_HEIGHT = 9_000_000;
const COLUMNS = [
  { title: '닉네임', width: '80px', align: 'left' },
  { title: '파일명', width: '1fr', align: 'left' },
  { title: '크기', width: '80px', align: 'right' },
  { title: '날짜', width: '80px', align: 'left' },
  { title: '속도', width: '50px', align: 'left' },
];
// By the engine's button ids 1..4: download, stop, connect, server information.
const BUTTONS = [
  { id: 1, picture: 218, disabled: 211, tip: '다운로드' },
  { id: 4, picture: 214, disabled: 215, tip: '서버정보' },
  { id: 3, picture: 204, disabled: 205, tip: '서버연결' },
  { id: 2, picture: 202, disabled: 203, tip: '검색중지' },
];
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

const STYLE = `
:host { display: inline-block; width: 728px; height: 500px; position: relative; background: #fff;
        font: 12px 'Velkan NanumGothic', 'NanumGothic', sans-serif; color: #000; }
.panel { position: absolute; inset: 0; display: flex; flex-direction: column; padding: 4px; box-sizing: border-box; gap: 4px; }
.top { display: flex; align-items: center; gap: 6px; height: 18px; }
progress { flex: 1; height: 12px; }
.grid { flex: 1; border: 1px solid #7f9db9; display: flex; flex-direction: column; min-height: 0; outline: none; }
.head, .row { display: grid; grid-template-columns: ${COLUMNS.map((c) => c.width).join(' ')}; }
.head > div { border-right: 1px solid #ccc; border-bottom: 1px solid #ccc; padding: 0 4px; cursor: default; user-select: none; background: #f0f0f0; height: 18px; line-height: 18px; overflow: hidden; }
.scroller { flex: 1; overflow-y: auto; position: relative; }
.spacer { position: absolute; left: 0; top: 0; width: 1px; }
.rows { position: sticky; top: 0; }
.row { height: ${ROW_HEIGHT}px; line-height: ${ROW_HEIGHT}px; white-space: nowrap; }
.row > div { overflow: hidden; text-overflow: ellipsis; padding: 0 4px; }
.row[aria-selected="true"] { background: #316ac5; color: #fff; }
.row img { width: 16px; height: 16px; vertical-align: -3px; margin-right: 2px; }
.bottom { display: flex; justify-content: flex-end; gap: 8px; height: 24px; align-items: center; }
.bottom .identity { flex: 1; }
button { border: 0; padding: 0; background: none; }
[hidden] { display: none !important; }
.overlay { position: absolute; inset: 0; background: rgba(0,0,0,.15); display: flex; align-items: center; justify-content: center; }
.box { background: #f0f0f0; border: 1px solid #555; padding: 12px 16px; min-width: 180px; text-align: center; }
.box p { margin: 0 0 10px; white-space: pre-wrap; }
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

  AboutBox() {
    return this.#dialog('VelkanFileSearch\n파일 검색');
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
      case 'activated':
        this.#active = true;
        this.#resolveActivated();
        this.dispatchEvent(new Event('activate'));
        break;
      case 'state':
        this.#state = message;
        if (message.rows) this.#rows = { gen: message.gen, first: message.first, items: message.rows };
        this.#render();
        break;
      case 'message':
        this.#dialog(message.text);
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

  #build() {
    const root = this.attachShadow({ mode: 'open' });
    root.innerHTML = `<style>${STYLE}</style>
      <div class="panel">
        <div class="top"><progress max="100" value="0"></progress><span class="progress"></span><span class="found"></span></div>
        <div class="grid" role="grid" tabindex="0" aria-label="검색 결과" aria-rowcount="1">
          <div class="head" role="row" aria-rowindex="1">${COLUMNS.map((c, i) => `<div role="columnheader" data-column="${i}" style="text-align:${c.align}">${c.title}</div>`).join('')}</div>
          <div class="scroller"><div class="spacer"></div><div class="rows" role="rowgroup"></div></div>
        </div>
        <div class="bottom"><span class="identity"></span>${BUTTONS.map((b) => `<button data-id="${b.id}" title="${b.tip}" aria-label="${b.tip}"><img alt=""></button>`).join('')}</div>
      </div>
      <div class="error" role="alert" hidden></div>`;
    const $ = (selector) => root.querySelector(selector);
    this.#dom = {
      progress: $('progress'), progressText: $('.progress'), found: $('.found'), grid: $('.grid'),
      scroller: $('.scroller'), spacer: $('.spacer'), rows: $('.rows'), identity: $('.identity'),
      error: $('.error'), buttons: [...root.querySelectorAll('button')], headers: [...root.querySelectorAll('[role=columnheader]')],
      panel: $('.panel'),
    };
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
      if (row) this.#send({ type: 'click', row: Number(row.dataset.row), gen: this.#state.gen });
    });
    this.#dom.rows.addEventListener('dblclick', (event) => {
      const row = event.target.closest('.row');
      if (row) this.connectToRow(Number(row.dataset.row));
    });
    this.#dom.grid.addEventListener('keydown', (event) => this.#key(event));
    for (const button of this.#dom.buttons) {
      button.addEventListener('click', () => {
        const id = Number(button.dataset.id);
        if (id === 2) this.StopSearch();
        else if (id === 1 || id === 3) this.#send({ type: 'connect', row: this.#state.selected, gen: this.#state.gen });
      });
    }
  }

  #key(event) {
    const selected = this.#state.selected;
    if (event.key === 'Enter') {
      event.preventDefault();
      this.#send({ type: 'connect', row: selected, gen: this.#state.gen });
    } else if (event.key === 'ArrowDown' || event.key === 'ArrowUp') {
      event.preventDefault();
      const next = Math.max(0, Math.min(this.#state.rowCount - 1, selected + (event.key === 'ArrowDown' ? 1 : -1)));
      if (next >= 0) this.#send({ type: 'click', row: next, gen: this.#state.gen });
    }
  }

  // The first row in view and how many fit, from the scroll position.
  #visible() {
    const { scroller } = this.#dom;
    const count = this.#state.rowCount;
    const fit = Math.ceil(scroller.clientHeight / ROW_HEIGHT) + 1;
    const fullHeight = count * ROW_HEIGHT;
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

  #render() {
    const s = this.#state;
    const d = this.#dom;
    d.progress.value = s.progress ?? 0;
    d.progressText.textContent = s.progressText ?? '';
    d.found.textContent = s.foundText ?? '';
    d.identity.textContent = s.identity ?? '';
    d.grid.setAttribute('aria-rowcount', String(s.rowCount + 1));
    const { first, height } = this.#visible();
    d.spacer.style.height = `${height}px`;
    if (first !== this.#window.first) this.#requestWindow();
    d.headers.forEach((header, column) => {
      const sorted = s.sortColumn === column;
      header.setAttribute('aria-sort', sorted ? (s.sortAscending ? 'ascending' : 'descending') : 'none');
      header.textContent = COLUMNS[column].title + (sorted ? (s.sortAscending ? ' ▲' : ' ▼') : '');
    });
    const bridge = this.bridge;
    for (const button of d.buttons) {
      const spec = BUTTONS.find((b) => b.id === Number(button.dataset.id));
      const state = s.buttons?.[spec.id - 1] ?? { enabled: false, visible: spec.id !== 3 && spec.id !== 4 };
      button.hidden = !state.visible;
      button.disabled = !state.enabled;
      const picture = state.enabled ? spec.picture : spec.disabled;
      const img = button.firstElementChild;
      img.src = `${bridge}/pictures/${picture}.png`;
      img.srcset = `${bridge}/pictures/${picture}@2x.png 2x`;
    }
    const rows = [];
    if (this.#rows.gen === s.gen) {
      this.#rows.items.forEach((item, index) => {
        const row = this.#rows.first + index;
        if (row < first || row >= first + this.#window.count) return;
        const picture = item.ext !== undefined
          ? (item.ext ? `${bridge}/icons/16/${item.ext}.png` : '')
          : '';
        const cells = item.cells.map((text, column) => {
          const icon = column === 1 && picture ? `<img src="${picture}" srcset="${bridge}/icons/32/${item.ext}.png 2x" alt="">` : '';
          return `<div role="gridcell" style="text-align:${COLUMNS[column].align}">${icon}${escapeHtml(text)}</div>`;
        }).join('');
        rows.push(`<div class="row" role="row" data-row="${row}" aria-rowindex="${row + 2}" aria-selected="${row === s.selected}">${cells}<div role="gridcell">${'▮'.repeat(item.speed ?? 0)}</div></div>`);
      });
    }
    d.rows.innerHTML = rows.join('');
  }

  #dialog(text) {
    return new Promise((resolve) => {
      const overlay = document.createElement('div');
      overlay.className = 'overlay';
      overlay.innerHTML = `<div class="box" role="dialog" aria-modal="true"><p></p><button class="ok">확인</button></div>`;
      overlay.querySelector('p').textContent = text;
      const ok = overlay.querySelector('.ok');
      const close = () => { overlay.remove(); resolve(); };
      ok.addEventListener('click', close);
      overlay.addEventListener('keydown', (event) => { if (event.key === 'Escape' || event.key === 'Enter') close(); });
      this.shadowRoot.append(overlay);
      ok.focus();
    });
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
