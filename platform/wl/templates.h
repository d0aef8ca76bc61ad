// Dialog templates as C++ tables. The library that owns a dialog registers
// its templates once (usually from a static registrar); a dialog is created
// from its template id.
//
// Geometry is given in dialog units and turned into pixels with fixed base
// units (x * 6 / 4, y * 13 / 8, rounded), so that layouts do not depend on
// the fonts installed.
#pragma once

#include <string>
#include <vector>

#include "platform/wl/api.h"

namespace wl {

// Kinds of controls a template can hold.
enum class Kind {
    Static,     // text label
    GroupBox,   // frame with a caption; stays below its siblings
    Picture,    // image from the bitmap table (ControlTemplate::image), or an etched frame
    Button,     // push button
    CheckBox,
    Radio,      // radio buttons form groups in template order (see kGroup)
    Edit,       // single line, or several with kMultiLine
    Combo,      // drop-down list; an edit field with kEditable
    ListBox,
    UpDown,     // spin arrows; the edit just before it is its buddy
    Slider,
    Progress,
    Tab,        // tab row; its pages are sibling windows
    Tree,       // tree view; check boxes with kCheckBoxes
    ListView,   // report list (columns)
    Custom,     // placeholder of a window class (ControlTemplate::className)
};

// Style bits of a control.
inline constexpr unsigned kHidden = 1u << 0;
inline constexpr unsigned kDisabled = 1u << 1;
inline constexpr unsigned kGroup = 1u << 2;          // starts a new radio group
inline constexpr unsigned kDefault = 1u << 3;        // default push button
inline constexpr unsigned kMultiLine = 1u << 4;      // edit
inline constexpr unsigned kReadOnly = 1u << 5;       // edit
inline constexpr unsigned kEditable = 1u << 6;       // combo with an edit field
inline constexpr unsigned kRight = 1u << 7;          // right-aligned text
inline constexpr unsigned kCenter = 1u << 8;         // centred text
inline constexpr unsigned kVertical = 1u << 9;       // slider, progress bar
inline constexpr unsigned kCheckBoxes = 1u << 10;    // tree
inline constexpr unsigned kSunken = 1u << 11;        // static or picture with a sunken frame
inline constexpr unsigned kTranslatable = 1u << 12;  // combo entries pass through the translation

// Style bits of a dialog.
inline constexpr unsigned kDlgChild = 1u << 0;    // a child window (tab pages, embedded dialogs)
inline constexpr unsigned kDlgVisible = 1u << 1;  // shown when created

struct ControlTemplate {
    int id = 0;
    Kind kind = Kind::Static;
    std::string text;
    int x = 0, y = 0, cx = 0, cy = 0;  // dialog units
    unsigned style = 0;
    std::vector<std::string> items = {};  // combo and list box entries
    std::string className = {};           // Custom: the window class
    int image = 0;                     // Picture: bitmap id
};

struct DialogTemplate {
    int id = 0;
    std::string caption;
    int cx = 0, cy = 0;  // dialog units
    unsigned style = 0;
    std::vector<ControlTemplate> controls;
};

// Registers a template. Refused with a message (false) when the id is
// registered already, a kind is unknown, or a custom control has no class.
WL_API bool RegisterTemplate(DialogTemplate t);
// The template of an id, or nullptr.
WL_API const DialogTemplate* FindTemplate(int id);

// Dialog units to pixels.
WL_API int MulDiv(int number, int numerator, int denominator);
WL_API int DluToPixelX(int x);
WL_API int DluToPixelY(int y);
WL_API Rect DluToPixels(int x, int y, int cx, int cy);

// Registers templates from a static object:
//   static wl::TemplateRegistrar reg({...});
struct WL_API TemplateRegistrar {
    explicit TemplateRegistrar(DialogTemplate t);
    TemplateRegistrar(std::initializer_list<DialogTemplate> ts);
};

}  // namespace wl
