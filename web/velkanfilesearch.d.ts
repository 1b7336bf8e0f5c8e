// Declarations for the <velkan-file-search> element served by velkan-webhost at
// /velkanfilesearch.js.

export interface VelkanConnectDetail {
  /** The server's nickname, as the native control's Connect event gives it. */
  nick: string;
  /** Base64 of the folder's CP949 bytes, or the unencoded path, as the native event gives it. */
  folder: string;
  /** The folder as text. */
  folderText: string;
}

export type VelkanErrorReason =
  | 'origin-not-allowed'
  | 'too-many-controls'
  | 'bridge-unreachable'
  | 'bridge-closed';

export interface VelkanErrorDetail {
  reason: VelkanErrorReason;
  /** A sentence for people; the panel shows the same. */
  message: string;
}

/** Numbers and booleans become text as automation makes them; undefined becomes "". */
export type VelkanValue = string | number | boolean | undefined;

/** Text as automation makes it of a script's value. Throws TypeError for null and non-finite numbers. */
export function automationText(value: VelkanValue): string;

export class VelkanFileSearchElement extends HTMLElement {
  /** Page data, read once when the element activates. */
  get param(): string;
  set param(value: VelkanValue);
  get search(): string;
  set search(value: VelkanValue);
  get banWord(): string;
  set banWord(value: VelkanValue);
  get SearchBanWord(): string;
  set SearchBanWord(value: VelkanValue);
  get replaceParam(): string;
  set replaceParam(value: VelkanValue);
  /** The bridge's address; the loopback one on port 8091 unless given. */
  bridge: string;
  /** Settles when VelkanSearch will be heard. */
  readonly activated: Promise<void>;
  /** The rows the list holds. */
  readonly rowCount: number;

  /** Starts a search; not heard before activation. */
  VelkanSearch(text: VelkanValue): void;
  /** Stops the running search; not heard before activation. */
  StopSearch(): void;
  /** Shows the about box in the page; settles when it closes. */
  AboutBox(): Promise<void>;
  /** What a double click on the row does, the row as the list is ordered now. */
  connectToRow(row: number): void;

  addEventListener<K extends keyof VelkanFileSearchEventMap>(
    type: K,
    listener: (this: VelkanFileSearchElement, event: VelkanFileSearchEventMap[K]) => unknown,
    options?: boolean | AddEventListenerOptions,
  ): void;
  addEventListener(
    type: string,
    listener: EventListenerOrEventListenerObject,
    options?: boolean | AddEventListenerOptions,
  ): void;
}

export interface VelkanFileSearchEventMap extends HTMLElementEventMap {
  Connect: CustomEvent<VelkanConnectDetail>;
  activate: Event;
  searchidle: Event;
  error: CustomEvent<VelkanErrorDetail> & ErrorEvent;
}

declare global {
  interface HTMLElementTagNameMap {
    'velkan-file-search': VelkanFileSearchElement;
  }
}
