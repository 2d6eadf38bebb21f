// The page's imports of the WebAssembly module (page_imports.h), answered by page/page.js
// found at Module.page. The question and the file chooser wait: they are Asyncify imports.
mergeInto(LibraryManager.library, {
  qv3_dom_add_dialog: function (window, caption, width, height) {
    Module.page.addDialog(window, UTF8ToString(caption), width, height);
  },
  qv3_dom_add_control: function (window, kind, id, text, x, y, width, height, rules, name, describes) {
    Module.page.addControl(window, { kind, id, text: UTF8ToString(text), x, y, width, height,
      rules: rules >>> 0, name: UTF8ToString(name), describes });
  },
  qv3_dom_get_text: function (window, id, buffer, size) {
    return stringToUTF8(Module.page.getText(window, id), buffer, size);
  },
  qv3_dom_set_text: function (window, id, text) { Module.page.setText(window, id, UTF8ToString(text)); },
  qv3_dom_get_check: function (window, id) { return Module.page.getCheck(window, id) ? 1 : 0; },
  qv3_dom_set_check: function (window, id, checked) { Module.page.setCheck(window, id, checked !== 0); },
  qv3_dom_get_selection: function (window, id) { return Module.page.getSelection(window, id); },
  qv3_dom_set_selection: function (window, id, index) { Module.page.setSelection(window, id, index); },
  qv3_dom_add_item: function (window, id, text) { Module.page.addItem(window, id, UTF8ToString(text)); },
  qv3_dom_clear_list: function (window, id) { Module.page.clearList(window, id); },
  qv3_dom_set_enabled: function (window, id, enabled) { Module.page.setEnabled(window, id, enabled !== 0); },
  qv3_dom_is_enabled: function (window, id) { return Module.page.isEnabled(window, id) ? 1 : 0; },
  qv3_dom_set_read_only: function (window, id, readOnly) { Module.page.setReadOnly(window, id, readOnly !== 0); },
  qv3_dom_set_focus: function (window, id) { Module.page.setFocus(window, id); },
  qv3_dom_set_name: function (window, id, name) { Module.page.setName(window, id, UTF8ToString(name)); },
  qv3_dom_show_dialog: function (window) { Module.page.showDialog(window); },
  qv3_dom_close_dialog: function (window) { Module.page.closeDialog(window); },
  qv3_dom_ask: function (caption, text, withCancel) {
    return Asyncify.handleAsync(() => Module.page.ask(UTF8ToString(caption), UTF8ToString(text), withCancel !== 0));
  },
  qv3_dom_choose_open_file: function (buffer, size) {
    return Asyncify.handleAsync(async () => {
      const path = await Module.page.chooseOpenFile();
      return path === null ? -1 : stringToUTF8(path, buffer, size);
    });
  },
  qv3_dom_save_history: function () { Module.page.saveHistory(); },
  qv3_dom_quit: function (exitCode) { Module.page.quit(exitCode); },
  qv3_dom_log: function (line) { Module.page.log(UTF8ToString(line)); },
});
