// The page's JavaScript (page_library.js, answered by page/page.js) as the C++ front end calls it.
//
// Texts cross as UTF-8. The calls that wait for the user (a question, a file
// chooser) are Asyncify imports: the module sleeps until they are answered,
// and the page holds back every other call into it meanwhile.
#pragma once

extern "C" {

// One control of a dialog's layout, created in layout order.
void qv3_dom_add_control(int window, int kind, int id, const char* text, int x, int y, int width, int height,
                         unsigned rules, const char* name, int describes);
// The dialog itself: its caption and size in dialog units.
void qv3_dom_add_dialog(int window, const char* caption, int width, int height);

int qv3_dom_get_text(int window, int id, char* buffer, int size);
void qv3_dom_set_text(int window, int id, const char* text);
int qv3_dom_get_check(int window, int id);
void qv3_dom_set_check(int window, int id, int checked);
int qv3_dom_get_selection(int window, int id);
void qv3_dom_set_selection(int window, int id, int index);
void qv3_dom_add_item(int window, int id, const char* text);
void qv3_dom_clear_list(int window, int id);
void qv3_dom_set_enabled(int window, int id, int enabled);
int qv3_dom_is_enabled(int window, int id);
void qv3_dom_set_read_only(int window, int id, int read_only);
void qv3_dom_set_focus(int window, int id);
// The control's accessible name (its aria-label).
void qv3_dom_set_name(int window, int id, const char* name);

// Shows a dialog built earlier, modal in the page; the module goes on meanwhile.
void qv3_dom_show_dialog(int window);
void qv3_dom_close_dialog(int window);

// A modal question (with_cancel: OK and Cancel, Cancel the default) or notice; 1 for OK. Waits.
int qv3_dom_ask(const char* caption, const char* text, int with_cancel);
// The file chooser: the chosen file, copied into the module's files; its
// path's length, or -1 when cancelled. Waits.
int qv3_dom_choose_open_file(char* buffer, int size);

// An exchange has changed phase, and may have kept an entry in the history
// folder: the page saves that folder to the browser's storage, in the background.
void qv3_dom_save_history();

void qv3_dom_quit(int exit_code);
void qv3_dom_log(const char* line);
}
