// The window operations the program calls: windows, drawing, the multi-line
// text area, menus, radio and push buttons, the idle/wake primitives and the
// modal dialogs. Operations act on the current window unless an identifier is
// passed; colours are RGB values made by creatergb, sizes are pixels. They may
// be called from any thread; the installed back end shows the result.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace imm {

// A menu, button or system-close procedure.
using Procedure = std::function<void()>;

// Windows. Identifiers are 0, 1, 2, ... in opening order and never reused.
std::int64_t initwindow(std::int64_t width, std::int64_t height, const std::string& title, std::int64_t x,
                        std::int64_t y, bool closeflag);
void closewindow(std::int64_t id);
void setcurrentwindow(std::int64_t id);
std::int64_t getcurrentwindow();
// The lowest-numbered open window the calling thread belongs to, as the thread
// that opened it or as the thread running one of its procedures; else the current one.
std::int64_t getsignallingwindow();
std::int64_t getactivepage();
void setactivepage(std::int64_t page);
std::int64_t getmaxwidth();   // usable screen width
std::int64_t getmaxheight();  // usable screen height
std::int64_t getmaxx();       // largest x of the current window's drawing area
std::int64_t getmaxy();       // largest y of the current window's drawing area
void setwindowtitle(const std::string& title);
void enablewindow(std::int64_t id, bool flag);
// On a window opened without the close flag, the frame's close button calls the
// procedure, wakes the window (as stopidle) and closes it.
void setwindowsystemclosecallback(Procedure procedure);

// Drawing on the current window.
std::int64_t creatergb(std::int64_t red, std::int64_t green, std::int64_t blue);
void setcolor(std::int64_t colour);
void setbkcolor(std::int64_t colour);
void clearviewport();
void settextstyle(std::int64_t font, std::int64_t direction, std::int64_t size);
void setmatchthemetextstyle();
void settextjustify(std::int64_t horizontal, std::int64_t vertical);
std::int64_t textwidth(const std::string& text);
void outtextxy(std::int64_t x, std::int64_t y, const std::string& text);
void useansitext();
void refreshall();
void setrefreshing(bool flag);
void setapplicationdpiaware();
std::int64_t scaledpi(std::int64_t n);

// The multi-line text area. Its text uses CR LF line breaks.
std::int64_t createmultilinetextbox(std::int64_t x, std::int64_t y, std::int64_t width, std::int64_t height,
                                    bool wrap);
void enabletextbox(std::int64_t id, bool flag);
void settextboxvisible(std::int64_t id, bool flag);
void settextboxfocused(std::int64_t id);
void settextboxcontents(std::int64_t id, const std::string& text);
void settextboxcursorposition(std::int64_t id, std::int64_t position);
void inserttextboxtext(std::int64_t id, const std::string& text);  // at the cursor
// Moves the cursor to the end and inserts the text there, in one step.
void appendtextboxtext(std::int64_t id, const std::string& text);
std::int64_t gettextboxlength(std::int64_t id);
std::string gettextboxcontents(std::int64_t id);

// Menus of the current window: parent -1 makes the menu bar. Items start enabled;
// enablemenuitem works on an item or a whole menu.
std::int64_t addmenu(const std::string& title, std::int64_t parent);
std::int64_t addmenuitem(const std::string& title, std::int64_t menu, Procedure procedure);
void enablemenuitem(std::int64_t id, bool flag);

// Radio buttons of the current window are indexed 0, 1, ... in creation order;
// a click sets one button of its group and clears the others.
void beginradiogroup();
std::int64_t createradiobutton(std::int64_t x, std::int64_t y, std::int64_t width, std::int64_t height,
                               const std::string& text);
bool radiobuttonischecked(std::int64_t index);
void radiobuttonsetchecked(std::int64_t index, bool flag);
void setradiobuttonvisible(std::int64_t index, bool flag);
std::int64_t createbutton(std::int64_t x, std::int64_t y, std::int64_t width, std::int64_t height,
                          const std::string& text, Procedure procedure);

// Idle: wait on the current window's wake event. The event is latched: several
// wakes before a wait count as one, and a wait consumes it.
void startidle(std::int64_t milliseconds);
void stopidle();  // wakes whichever window is current now
void loop();      // waits without limit
// Wakes that window, current or not (a thread that is not the window's own
// wakes its waiting loop without ending a wait in another window).
void wakewindow(std::int64_t id);

// Modal dialogs. Kinds: 1 "Information", 2 "Warning", 3 "Error".
void dlgmessage(std::int64_t kind, const std::string& text);
// name: the proposed file (or start folder) in, the chosen full path out; true
// when a file was chosen. The working folder moves to the chosen file's folder.
bool dlgopenfile(std::string& name, const std::string& filter_name, const std::string& pattern,
                 const std::string& title);
bool dlgsavefile(std::string& name, const std::string& filter_name, const std::string& pattern,
                 const std::string& title);

// The caption of a message box of the given kind.
std::string message_caption(std::int64_t kind);

}  // namespace imm
