// The page: the dialogs' elements as the module builds them, the form's DOM side, the modal
// questions, the files, the ports, and the one queue through which every event reaches the module.
//
// The module sleeps (Asyncify) while a read waits for the line or a question
// for its answer, and may not be entered again meanwhile: clicks, keys and
// timer ticks wait in the queue, at most one tick beside the running one.
(function () {
  'use strict';

  // Dialog units to pixels: the page font's average character width / 4 and
  // height / 8, measured as Windows measures a dialog font, so the controls
  // keep their proportions whatever font the browser has.
  const [kDuX, kDuY] = (() => {
    const context = document.createElement('canvas').getContext('2d');
    context.font = getComputedStyle(document.body).font;
    const m = context.measureText('ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz');
    const height = m.fontBoundingBoxAscent + m.fontBoundingBoxDescent;
    return m.width > 0 && height > 0 ? [m.width / 52 / 4, height / 8] : [1.5, 1.625];
  })();
  const kListHeightDu = 12;  // a closed drop list; the table's height includes the open list
  const kTabRowPx = 19;  // the row of tab captions above the tab page (page.css, .tab-page)
  const kFramePx = 1;  // the frame of a group box or the tab page, inside which their controls are placed
  const kMaxUploadBytes = 1 << 20;  // what the settings text allows; a .qv3 file is a few hundred bytes

  // What the page shares with the C++ comes from its headers (seam_table.js, made by the build).
  const { ControlKind: Kind, ControlRule: Rule, Window, DialogEvent, Times } = Qv3Seam;
  const kMainWindow = Window.Main;
  // The element each window is drawn in.
  const kWindowElements = { [Window.Main]: 'main-window', [Window.Telemetry]: 'telemetry-window', [Window.History]: 'history-window' };
  // The call that takes a dialog's clicks, Esc and close box (a DialogEvent and the control's id).
  const kDialogEventCalls = { [Window.Telemetry]: 'web_telemetry_event', [Window.History]: 'web_history_event' };

  const windows = new Map();  // window handle -> { root, controls: Map(id -> { kind, el }) }
  let module = null;
  let queue = Promise.resolve();
  let tickState = 'idle';  // idle, running, or again (a tick came while running)
  let writeInProgress = false;
  let ended = false;

  function px(du, scale) { return `${Math.round(du * scale)}px`; }

  // At the control's place in the dialog, whatever element it stands in:
  // origin is that element's top left corner in the dialog, in pixels.
  function place(el, c, height = c.height, origin = { left: 0, top: 0 }) {
    el.style.left = `${Math.round(c.x * kDuX) - origin.left}px`;
    el.style.top = `${Math.round(c.y * kDuY) - origin.top}px`;
    el.style.width = px(c.width, kDuX);
    el.style.height = px(height, kDuY);
  }

  function inside(c, rect) {
    const height = c.kind === Kind.DropList || c.kind === Kind.ComboEdit ? kListHeightDu : c.height;
    return c.x >= rect.x && c.y >= rect.y && c.x + c.width <= rect.x + rect.width && c.y + height <= rect.y + rect.height;
  }

  // The element a control stands in: the innermost group box or tab page,
  // among those still open, whose rectangle holds it, else the dialog's
  // surface. A row outside a box closes it, so each holds a run of the
  // table's rows and the keyboard order stays the table's.
  function holderOf(w, c) {
    while (w.holders.length > 0 && !inside(c, w.holders[w.holders.length - 1].rect)) w.holders.pop();
    return w.holders.length > 0 ? w.holders[w.holders.length - 1] : { el: w.surface, origin: { left: 0, top: 0 } };
  }

  function openHolder(w, el, rect, origin) {
    el.classList.add('holder');
    w.holders.push({ el, rect, origin });
  }

  function control(window, id) {
    const w = windows.get(window);
    return (w && w.controls.get(id)) || null;
  }

  function elementId(window, id) { return `w${window}-c${id}`; }

  // --- the module, one call at a time ---------------------------------------

  function call(name, types = [], args = []) {
    const run = async () => {
      if (!module || ended) return;
      await module.ccall(name, null, types, args, { async: true });
      writeInProgress = module.ccall('web_write_in_progress', 'number', [], []) === 1;
      noteWrite(writeInProgress);
      deliverDownloads();
    };
    queue = queue.then(run).catch((error) => console.error(error));
    return queue;
  }

  // A tick that comes while one is running is held, once, and runs as soon
  // as that one ends: a window's timer message waits the same way while a
  // step blocks, so the exchange loses no time to the interval's phase.
  function tick() {
    if (tickState !== 'idle') { tickState = 'again'; return; }
    tickState = 'running';
    call('web_on_timer').finally(() => {
      const again = tickState === 'again';
      tickState = 'idle';
      if (again) tick();
    });
  }

  // --- building the dialogs ---------------------------------------------------

  function addDialog(window, caption, width, height) {
    const root = document.getElementById(kWindowElements[window]);
    const surface = document.createElement('div');
    surface.className = 'surface';
    surface.style.width = px(width, kDuX);
    surface.style.height = px(height, kDuY);
    if (window === kMainWindow) {
      document.title = caption;
      document.getElementById('caption').textContent = caption;
    } else {
      const heading = document.createElement('h2');
      heading.id = `${root.id}-caption`;
      heading.textContent = caption;
      root.append(heading);
      root.setAttribute('aria-labelledby', heading.id);
      root.addEventListener('cancel', (event) => {
        event.preventDefault();
        dialogEvent(window, DialogEvent.Escape);
      });
      const close = document.createElement('button');
      close.type = 'button';
      close.className = 'close-box';
      close.textContent = '\u00d7';
      close.setAttribute('aria-label', 'Close');
      close.addEventListener('click', () => dialogEvent(window, DialogEvent.CloseBox));
      root.append(close);
    }
    root.append(surface);
    windows.set(window, { root, surface, controls: new Map(), holders: [] });
  }

  function dialogEvent(window, event, id = 0) { call(kDialogEventCalls[window], ['number', 'number'], [event, id]); }

  function forwardClick(window, id) {
    if (window === kMainWindow) call('web_on_command', ['number'], [id]);
    else dialogEvent(window, DialogEvent.Click, id);
  }

  // The row of tabs (the WAI-ARIA tabs pattern): the arrow keys move the
  // focus and the selection together, round; Home and End go to the first and
  // the last tab. The page under them is the one tab panel, labelled by the
  // selected tab, that holds the controls standing on it.
  function addTabs(window, c, origin) {
    const w = windows.get(window);
    const el = document.createElement('div');
    el.className = 'tab-frame';
    const list = document.createElement('div');
    list.setAttribute('role', 'tablist');
    list.className = 'tabs';
    list.addEventListener('keydown', (event) => {
      if (event.altKey || event.ctrlKey || event.metaKey || event.shiftKey) return;
      const count = list.children.length;
      const current = getSelection(window, c.id);
      const next = { ArrowRight: current + 1, ArrowLeft: current - 1, Home: 0, End: count - 1 }[event.key];
      if (next === undefined || count === 0) return;
      event.preventDefault();
      chooseTab(window, c.id, (next + count) % count);
    });
    const panel = document.createElement('div');
    panel.className = 'tab-page';
    panel.id = `${elementId(window, c.id)}-panel`;
    panel.setAttribute('role', 'tabpanel');
    el.append(list, panel);
    el.tabList = list;
    el.tabPanel = panel;
    place(el, c, c.height, origin);
    // The panel stands below the row of tab captions.
    openHolder(w, panel, c, { left: Math.round(c.x * kDuX) + kFramePx, top: Math.round(c.y * kDuY) + kTabRowPx + kFramePx });
    return el;
  }

  // A group box holds the controls inside its frame, named by its caption.
  function addGroup(window, c, origin) {
    const el = document.createElement('fieldset');
    el.className = 'group';
    if (c.text) {
      const caption = document.createElement('legend');
      caption.className = 'group-caption';
      caption.textContent = c.text;
      el.append(caption);
    }
    place(el, c, c.height, origin);
    openHolder(windows.get(window), el, c, { left: Math.round(c.x * kDuX) + kFramePx, top: Math.round(c.y * kDuY) + kFramePx });
    return el;
  }

  function addControl(window, c) {
    const w = windows.get(window);
    const holder = holderOf(w, c);
    const origin = holder.origin;
    let el;
    switch (c.kind) {
      case Kind.Tabs:
        el = addTabs(window, c, origin);
        break;
      case Kind.Label:
      case Kind.Unit:
        // A label names its control for the browser; a unit only stands beside it.
        el = document.createElement(c.kind === Kind.Label ? 'label' : 'span');
        if (c.kind === Kind.Label) el.htmlFor = elementId(window, c.describes);
        el.className = c.kind === Kind.Label ? 'label' : 'unit';
        el.textContent = c.text;
        place(el, c, c.height, origin);
        break;
      case Kind.StatusText:
        el = document.createElement('div');
        el.setAttribute('role', 'status');
        el.className = 'status';
        place(el, c, c.height, origin);
        break;
      case Kind.GroupBox:
        el = addGroup(window, c, origin);
        break;
      case Kind.Edit:
        el = document.createElement(c.rules & Rule.MultiLine ? 'textarea' : 'input');
        if (el.tagName === 'INPUT') el.type = 'text';
        if (c.rules & Rule.Scrolls) el.classList.add('scrolls');
        el.spellcheck = false;
        el.setAttribute('aria-label', c.name);
        if (c.rules & Rule.DigitsOnly) {
          el.inputMode = 'numeric';
          el.addEventListener('beforeinput', (event) => {
            if (event.inputType === 'insertText' && /\D/.test(event.data || '')) event.preventDefault();
          });
        }
        if (c.rules & Rule.UpperCase) {
          el.addEventListener('input', () => call('web_typed', ['number', 'number'], [window, c.id]));
        }
        place(el, c, c.height, origin);
        break;
      case Kind.CheckBox: {
        el = document.createElement('input');
        el.type = 'checkbox';
        el.setAttribute('aria-label', c.name);
        el.addEventListener('click', () => forwardClick(window, c.id));
        const box = document.createElement('label');
        box.className = 'check';
        box.append(el, document.createTextNode(c.text));
        place(box, c, c.height, origin);
        holder.el.append(box);
        break;
      }
      case Kind.Button:
        el = document.createElement('button');
        el.type = 'button';
        el.textContent = c.text;
        if (c.name && c.name !== c.text) el.setAttribute('aria-label', c.name);
        if (c.rules & Rule.Default) el.classList.add('default');
        el.addEventListener('click', () => forwardClick(window, c.id));
        place(el, c, c.height, origin);
        break;
      case Kind.DropList:
      case Kind.ComboEdit:
        el = document.createElement('select');
        el.setAttribute('aria-label', c.name);
        if (c.kind === Kind.ComboEdit) el.addEventListener('change', () => showWhole(c.kind, el));
        place(el, c, kListHeightDu, origin);
        break;
      default:
        return;
    }
    if (c.id >= 0) el.id = elementId(window, c.id);
    if (!el.isConnected) holder.el.append(el);
    if (c.id >= 0) w.controls.set(c.id, { kind: c.kind, el });
  }

  // --- the form's side (ui/form_access.h) --------------------------------------

  function getText(window, id) {
    const c = control(window, id);
    if (!c) return '';
    const el = c.el;
    if (el.tagName === 'TEXTAREA') return el.value.replace(/\r?\n/g, '\r\n');
    if (el.tagName === 'INPUT') return el.value;
    if (el.tagName === 'SELECT') return el.selectedIndex >= 0 ? el.options[el.selectedIndex].value : '';
    return el.textContent;
  }

  function setText(window, id, text) {
    const c = control(window, id);
    if (!c) return;
    const el = c.el;
    if (el.tagName === 'INPUT') {
      // The caret stays where it was when the text keeps its length (capitals as typed).
      const caret = document.activeElement === el && el.value.length === text.length ? el.selectionStart : null;
      el.value = text;
      if (caret !== null) el.setSelectionRange(caret, caret);
    } else if (el.tagName === 'TEXTAREA') {
      el.value = text.replace(/\r\n/g, '\n');
    } else if (el.tagName === 'SELECT') {
      const index = [...el.options].findIndex((o) => o.value === text);
      if (index >= 0) el.selectedIndex = index;
      showWhole(c.kind, el);
    } else if (c.kind !== Kind.Tabs) {
      el.textContent = text;
    }
  }

  function tabs(c) { return [...c.el.tabList.children]; }

  function getCheck(window, id) { const c = control(window, id); return !!(c && c.el.checked); }
  function setCheck(window, id, checked) { const c = control(window, id); if (c && c.el.type === 'checkbox') c.el.checked = checked; }

  function getSelection(window, id) {
    const c = control(window, id);
    if (!c) return -1;
    if (c.kind === Kind.Tabs) return tabs(c).findIndex((t) => t.getAttribute('aria-selected') === 'true');
    return c.el.tagName === 'SELECT' ? c.el.selectedIndex : -1;
  }

  function setSelection(window, id, index) {
    const c = control(window, id);
    if (!c) return;
    if (c.kind === Kind.Tabs) {
      // On the row of tabs the focus goes with the selection, whatever chose the bank.
      const focused = c.el.tabList.contains(document.activeElement);
      tabs(c).forEach((t, i) => {
        t.setAttribute('aria-selected', i === index ? 'true' : 'false');
        t.tabIndex = i === index ? 0 : -1;
        if (i !== index) return;
        c.el.tabPanel.setAttribute('aria-labelledby', t.id);
        if (focused) t.focus();
      });
    } else if (c.el.tagName === 'SELECT') {
      c.el.selectedIndex = index >= 0 && index < c.el.options.length ? index : -1;
      showWhole(c.kind, c.el);
    }
  }

  // The port box is narrower than some ports' names ("USB 0403:6001 #2", the second adapter
  // of a kind): its title shows the chosen one whole.
  function showWhole(kind, el) {
    if (kind === Kind.ComboEdit) el.title = el.selectedIndex >= 0 ? el.options[el.selectedIndex].text : '';
  }

  function addItem(window, id, text) {
    const c = control(window, id);
    if (!c) return;
    if (c.kind === Kind.Tabs) {
      const tab = document.createElement('button');
      tab.type = 'button';
      tab.setAttribute('role', 'tab');
      tab.setAttribute('aria-selected', 'false');
      tab.textContent = text;
      const index = c.el.tabList.children.length;
      tab.id = `${c.el.id}-tab${index}`;
      tab.setAttribute('aria-controls', c.el.tabPanel.id);
      tab.addEventListener('click', () => chooseTab(window, id, index));
      c.el.tabList.append(tab);
    } else if (c.el.tagName === 'SELECT') {
      // An option's text collapses runs of spaces (a history line's); its value keeps the item as given.
      c.el.append(new Option(text, text));
      if (c.el.options.length === 1) c.el.selectedIndex = -1;
    }
  }

  // A tab clicked or reached by a key shows its bank. A switch the form
  // refuses selects the bank shown until now again and focuses the field
  // that holds the refused text.
  function chooseTab(window, id, index) {
    if (getSelection(window, id) === index) return;
    setSelection(window, id, index);
    call('web_on_tab_changed', ['number'], [index]);
  }

  function clearList(window, id) {
    const c = control(window, id);
    if (c && c.el.tagName === 'SELECT') c.el.replaceChildren();
  }

  function setEnabled(window, id, enabled) {
    const c = control(window, id);
    if (c && 'disabled' in c.el) c.el.disabled = !enabled;
  }

  function isEnabled(window, id) { const c = control(window, id); return !!c && !c.el.disabled; }

  function setReadOnly(window, id, readOnly) {
    const c = control(window, id);
    if (c && c.kind === Kind.Edit) c.el.readOnly = readOnly;
  }

  function setFocus(window, id) {
    const c = control(window, id);
    if (!c) return;
    if (c.kind === Kind.Tabs) {
      const selected = tabs(c).find((t) => t.getAttribute('aria-selected') === 'true');
      if (selected) selected.focus();
    } else {
      c.el.focus();
    }
  }

  // The name a screen reader says: a bank's fields say the bank shown ("Primary Callsign").
  function setName(window, id, name) { const c = control(window, id); if (c) c.el.setAttribute('aria-label', name); }

  // --- dialogs ------------------------------------------------------------------

  function showDialog(window) { windows.get(window).root.showModal(); }
  function closeDialog(window) { const root = windows.get(window).root; if (root.open) root.close(); }

  // A question (OK, Cancel the default) or a notice (OK); true for OK.
  function ask(caption, text, withCancel) {
    const dialog = document.getElementById('question');
    document.getElementById('question-caption').textContent = caption;
    document.getElementById('question-text').textContent = text;
    const ok = document.getElementById('question-ok');
    const cancel = document.getElementById('question-cancel');
    cancel.hidden = !withCancel;
    return new Promise((resolve) => {
      const finish = (answer) => {
        ok.onclick = cancel.onclick = dialog.oncancel = null;
        dialog.close();
        resolve(answer ? 1 : 0);
      };
      ok.onclick = () => finish(true);
      cancel.onclick = () => finish(false);
      dialog.oncancel = (event) => { event.preventDefault(); finish(!withCancel); };
      dialog.showModal();
      (withCancel ? cancel : ok).focus();
    });
  }

  // --- files ------------------------------------------------------------------------

  // The file chosen, copied into the module's upload folder; null when cancelled.
  function chooseOpenFile() {
    const input = document.getElementById('open-file');
    input.value = '';
    return new Promise((resolve) => {
      const done = async () => {
        input.onchange = input.oncancel = null;
        const file = input.files && input.files[0];
        if (!file) { resolve(null); return; }
        const bytes = new Uint8Array(await file.slice(0, kMaxUploadBytes).arrayBuffer());
        const path = `/uploads/${file.name.replace(/[/\0]/g, '_')}`;
        module.FS.writeFile(path, bytes);
        resolve(path);
      };
      input.onchange = done;
      input.oncancel = done;
      input.click();
    });
  }

  // A save lands in the module's download folder; it leaves as a download.
  function deliverDownloads() {
    for (const name of module.FS.readdir('/downloads')) {
      if (name === '.' || name === '..') continue;
      const path = `/downloads/${name}`;
      const bytes = module.FS.readFile(path);
      module.FS.unlink(path);
      const url = URL.createObjectURL(new Blob([bytes], { type: 'application/octet-stream' }));
      const link = document.createElement('a');
      link.href = url;
      link.download = name;
      link.hidden = true;
      document.body.append(link);
      link.click();
      link.remove();
      setTimeout(() => URL.revokeObjectURL(url), 10000);
    }
  }

  // --- the history -------------------------------------------------------------------

  // The module keeps its history in this folder (kHistoryFolder, page_windows.h), which the
  // page keeps in the browser's IndexedDB: a record per file under its path, as earlier
  // versions of the page stored them. Loaded before the module starts, saved as exchanges
  // go, one save after another and one tab of the page at a time. Where that storage is
  // refused the history lasts as long as the page.
  const kHistoryFolder = '/history';
  const kHistoryLock = 'quorvale3config history';
  const kHistoryStore = 'FILE_DATA';
  let historySaved = Promise.resolve();
  let historyStored = new Set();  // the paths the store held when this page last loaded or saved it

  function historyFiles(instance) {
    return new Set(instance.FS.readdir(kHistoryFolder).map((name) => `${kHistoryFolder}/${name}`)
      .filter((path) => instance.FS.isFile(instance.FS.stat(path).mode)));
  }

  // One transaction over the store: step(store, paths) makes its requests once the stored
  // paths are known and returns the paths the store holds after them.
  function historyTransaction(step) {
    return new Promise((resolve, reject) => {
      const open = indexedDB.open(kHistoryFolder, 21);
      open.onupgradeneeded = () => open.result.createObjectStore(kHistoryStore).createIndex('timestamp', 'timestamp');
      open.onerror = () => reject(open.error);
      open.onsuccess = () => {
        const db = open.result;
        const transaction = db.transaction(kHistoryStore, 'readwrite');
        const store = transaction.objectStore(kHistoryStore);
        let held = historyStored;
        store.getAllKeys().onsuccess = (event) => {
          held = step(store, event.target.result.filter((key) => String(key).startsWith(`${kHistoryFolder}/`)));
        };
        transaction.oncomplete = () => { db.close(); historyStored = held; resolve(); };
        transaction.onerror = transaction.onabort = () => { db.close(); reject(transaction.error); };
      };
    });
  }

  // Entries another tab stored since this one last looked are copied into the folder.
  function takeStored(instance, store, paths, here) {
    for (const path of paths) {
      if (here.has(path) || historyStored.has(path)) continue;
      store.get(path).onsuccess = (event) => {
        const record = event.target.result;
        if (record && record.contents) instance.FS.writeFile(path, record.contents);
      };
    }
  }

  function loadHistory(instance) {
    instance.FS.mkdir(kHistoryFolder);
    return historyTransaction((store, paths) => {
      takeStored(instance, store, paths, new Set());
      return new Set(paths);
    }).catch((error) => console.warn(`The history could not be loaded: ${error}`));
  }

  // A save makes the store hold what the folder holds: new files are added, and one stored
  // when this page last looked and missing here now was removed here (past the history's limit).
  function saveHistory() {
    const save = () => historyTransaction((store, paths) => {
      const here = historyFiles(module);
      takeStored(module, store, paths, here);
      const held = new Set(paths);
      for (const path of here) {
        if (held.has(path)) continue;
        store.put({ timestamp: new Date(), mode: 0o100666, contents: module.FS.readFile(path) }, path);
        held.add(path);
      }
      for (const path of paths) {
        if (historyStored.has(path) && !here.has(path)) { store.delete(path); held.delete(path); }
      }
      return held;
    }).catch((error) => console.warn(`The history could not be saved: ${error}`));
    historySaved = historySaved.then(() => (navigator.locks ? navigator.locks.request(kHistoryLock, save) : save()));
  }

  function quit() {
    ended = true;
    document.getElementById(kWindowElements[kMainWindow]).hidden = true;
    document.getElementById('ended').hidden = false;
  }

  // --- ports ----------------------------------------------------------------------------

  const hasSerial = 'serial' in navigator && window.isSecureContext;
  // USB adapters through the page's own drivers where Web Serial is missing, and on Android,
  // whose Web Serial leaves out the chips of most cables.
  const android = /Android/.test(navigator.userAgent);
  const offersUsb = 'usb' in navigator && window.isSecureContext && (!hasSerial || android);
  const bridge = Qv3SerialBridge.createSerialBridge(Qv3Seam);

  // A chooser closed without a port (NotFoundError), or a permission the browser or its user
  // refused this site (SecurityError: Firefox asks first), is said in one line beside the button.
  const kDeclined = {
    NotFoundError: 'No port was chosen. Plug in the adapter, press "Choose port..." and pick it from the list.',
    SecurityError: 'The browser refused this page a serial port: allow serial ports for this site in its permissions, then press "Choose port..." again.',
  };

  const kNoAdapterChosen =
    'No adapter was chosen. Plug it in (on a phone through an OTG lead), press "Choose USB adapter..." and pick it from the list.';

  function sayDeclined(text) {
    const line = document.getElementById('port-declined');
    line.textContent = text || '';
    line.hidden = !text;
    document.getElementById('port-hint').hidden = !!text;
  }

  async function choosePort() {
    try {
      const port = await navigator.serial.requestPort();
      sayDeclined(null);
      const name = bridge.addPort(port);
      call('web_ports_changed', ['string'], [name]);
    } catch (error) {
      const name = error && error.name;
      if (Object.hasOwn(kDeclined, name)) sayDeclined(kDeclined[name]);
      else console.warn(error && error.message);
    }
  }

  async function watchPorts() {
    for (const port of await navigator.serial.getPorts()) bridge.addPort(port);
    navigator.serial.addEventListener('connect', (event) => {
      bridge.addPort(event.target);
      call('web_ports_changed', ['string'], ['']);
    });
    navigator.serial.addEventListener('disconnect', (event) => {
      bridge.removePort(event.target);
      call('web_ports_changed', ['string'], ['']);
    });
  }

  // Adapters granted before are listed at once, in the port box by chip and USB ids ("FTDI 0403:6001").
  async function watchUsbPorts() {
    const usbPorts = Qv3UsbSerial.createUsbPorts(navigator.usb, (port, added) => {
      if (added) bridge.addPort(port); else bridge.removePort(port);
      call('web_ports_changed', ['string'], ['']);
    });
    for (const port of await usbPorts.granted()) bridge.addPort(port);
    const chooser = document.getElementById('choose-usb');
    chooser.hidden = false;
    chooser.addEventListener('click', async () => {
      try {
        const port = await usbPorts.request();
        if (!port) return;
        sayDeclined(null);
        call('web_ports_changed', ['string'], [bridge.addPort(port)]);
      } catch (error) {
        if (error && error.name === 'NotFoundError') sayDeclined(kNoAdapterChosen);
        else console.warn(error && error.message);
      }
    });
  }

  // Without Web Serial the port box and "Choose port..." are disabled: each
  // carries the short reason shown beside them, which points to #no-serial.
  function sayWhyNoPort() {
    const reason = document.getElementById('no-serial-reason');
    reason.hidden = false;
    document.getElementById('port-hint').hidden = true;
    // The port box: the main window's one list typed into.
    const box = [...windows.get(kMainWindow).controls.values()].find((c) => c.kind === Kind.ComboEdit);
    for (const el of [document.getElementById('choose-port'), box && box.el]) {
      if (el) el.setAttribute('aria-describedby', reason.id);
    }
  }

  // The install files #no-serial names become links only where the site has
  // them: a page hosted without them would otherwise offer links that fail.
  // A site that answers every address with a page (text/html) has none.
  async function linkDownloads() {
    const names = [...document.querySelectorAll('#no-serial code.download')];
    const found = await Promise.all(names.map(async (name) => {
      try {
        const reply = await fetch(name.textContent, { method: 'HEAD', cache: 'no-store', signal: AbortSignal.timeout(10000) });
        return reply.ok && !(reply.headers.get('Content-Type') || '').startsWith('text/html');
      } catch (error) {
        return false;
      }
    }));
    names.forEach((name, i) => {
      if (!found[i]) return;
      const link = document.createElement('a');
      link.href = name.textContent;
      name.replaceWith(link);
      link.append(name);
    });
    document.getElementById('downloads-elsewhere').hidden = found.every(Boolean);
  }

  // Kept for use without the network: the service worker holds this version's files
  // (service_worker.js). Where it cannot run, the page works as before, online.
  function keepForOffline() {
    if (!('serviceWorker' in navigator) || !window.isSecureContext) return;
    navigator.serviceWorker.register('service_worker.js').catch((error) => console.warn(`Not kept for offline use: ${error.message}`));
  }

  // --- start ------------------------------------------------------------------------------

  // The bank a key asks for from any control: 1 next, -1 previous, else undefined.
  // Browsers keep Ctrl+Tab, Ctrl+PgDn and Ctrl+PgUp for their own tabs and never
  // pass them on; Alt+PgDn and Alt+PgUp reach the page. The Ctrl keys are still
  // taken where a browser hands them over, as in both windows.
  function bankStep(event) {
    const pages = { PageDown: 1, PageUp: -1 }[event.key];
    if (event.metaKey) return undefined;
    if (event.altKey) return event.ctrlKey || event.shiftKey ? undefined : pages;
    if (!event.ctrlKey) return undefined;
    return event.key === 'Tab' ? (event.shiftKey ? -1 : 1) : pages;
  }

  // A write leaves a note in the page's storage, held by a Web Lock for as long
  // as it goes out: a note whose lock nobody holds is a write that a closed or
  // reloaded tab cut off.
  const kWriteNote = 'quorvale3config write in progress';
  let writeLock = null;  // { release } while a write goes out

  function noteWrite(writing) {
    if (writing === (writeLock !== null)) return;
    try {
      if (writing) localStorage.setItem(kWriteNote, new Date().toISOString());
      else localStorage.removeItem(kWriteNote);
    } catch (e) { /* storage refused: nothing to remember it by */ }
    if (!writing) {
      writeLock.release();
      writeLock = null;
      return;
    }
    const held = { release: () => {} };
    writeLock = held;
    // Granted after the write ended (it is short-lived): let it go at once.
    if (navigator.locks) {
      navigator.locks.request(kWriteNote, () => new Promise((release) => {
        if (writeLock === held) held.release = release; else release();
      }));
    }
  }

  // Whether a write that an earlier page started was cut off; clears its note.
  async function writeWasInterrupted() {
    let noted = null;
    try { noted = localStorage.getItem(kWriteNote); } catch (e) { return false; }
    if (noted === null) return false;
    const free = !navigator.locks || await navigator.locks.request(kWriteNote, { ifAvailable: true }, (lock) => lock !== null);
    if (!free) return false;  // another tab of the page is writing
    try { localStorage.removeItem(kWriteNote); } catch (e) { /* nothing to clear */ }
    return true;
  }

  async function start() {
    // Opened from a folder the module cannot be fetched: say so instead of a form.
    if (location.protocol === 'file:') {
      for (const id of ['main-window', 'toolbar', 'help']) document.getElementById(id).hidden = true;
      document.getElementById('not-served').hidden = false;
      return;
    }
    keepForOffline();
    const chooser = document.getElementById('choose-port');
    if (hasSerial) {
      await watchPorts();
      chooser.addEventListener('click', choosePort);
    } else {
      chooser.disabled = true;
      // Where the USB chooser stands in for it, a disabled "Choose port..." would only puzzle.
      chooser.hidden = offersUsb;
      if (offersUsb) {
        document.getElementById('port-hint').textContent =
          'Grant this page the tracker\'s USB serial adapter (once per adapter); it then appears in the Port list.';
      }
    }
    if (offersUsb) await watchUsbPorts();
    const reachesPorts = hasSerial || offersUsb;
    if (!reachesPorts) {
      document.getElementById('no-serial').hidden = false;
      linkDownloads();
    }
    const page = {
      addDialog, addControl, getText, setText, getCheck, setCheck, getSelection, setSelection, addItem,
      clearList, setEnabled, isEnabled, setReadOnly, setFocus, setName, showDialog, closeDialog, ask, chooseOpenFile, saveHistory, quit,
      log: (line) => console.log(line),
    };
    const instance = await createQv3Module({ page, serialBridge: bridge });
    await loadHistory(instance);
    instance.ccall('web_start', null, ['number'], [reachesPorts ? 1 : 0]);
    module = instance;
    if (!reachesPorts) sayWhyNoPort();
    if (await writeWasInterrupted()) call('web_note_interrupted_write');
    document.addEventListener('keydown', (event) => {
      const step = bankStep(event);
      if (step && !document.querySelector('dialog[open]')) {
        event.preventDefault();
        call('web_on_bank_key', ['number'], [step]);
      }
    });
    window.addEventListener('beforeunload', (event) => {
      if (writeInProgress) { event.preventDefault(); event.returnValue = ''; }
    });
    setInterval(tick, Times.timerPeriodMs);
    deliverDownloads();
  }

  document.addEventListener('DOMContentLoaded', () => { start().catch((error) => console.error(error)); });
})();
