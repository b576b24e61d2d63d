#pragma once
// Dialog templates as data: the dialog's size, caption, font and styles, and its controls
// with identifier, window class, text, style bits and place, all in dialog units. The
// templates are compiled-in resources (":/res/template/<number>", JSON); DialogBuilder turns
// one into widgets.

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace ui {

// Window and control style bits, with the values Windows gives them (the templates name
// them; the builder reads them).
namespace ws {
inline constexpr std::uint32_t kPopup = 0x80000000u;
inline constexpr std::uint32_t kChild = 0x40000000u;
inline constexpr std::uint32_t kMinimizeBox = 0x00020000u;
inline constexpr std::uint32_t kVisible = 0x10000000u;
inline constexpr std::uint32_t kDisabled = 0x08000000u;
inline constexpr std::uint32_t kCaption = 0x00C00000u;
inline constexpr std::uint32_t kBorder = 0x00800000u;
inline constexpr std::uint32_t kVScroll = 0x00200000u;
inline constexpr std::uint32_t kHScroll = 0x00100000u;
inline constexpr std::uint32_t kSysMenu = 0x00080000u;
inline constexpr std::uint32_t kGroup = 0x00020000u;
inline constexpr std::uint32_t kTabStop = 0x00010000u;
inline constexpr std::uint32_t kModalFrame = 0x00000080u;  // DS_MODALFRAME
inline constexpr std::uint32_t kExToolWindow = 0x00000080u;
inline constexpr std::uint32_t kExAppWindow = 0x00040000u;
inline constexpr std::uint32_t kExTopMost = 0x00000008u;

inline constexpr std::uint32_t kButtonTypeMask = 0x0000000Fu;
inline constexpr std::uint32_t kPushButton = 0x0;
inline constexpr std::uint32_t kDefPushButton = 0x1;
inline constexpr std::uint32_t kCheckBox = 0x2;
inline constexpr std::uint32_t kAutoCheckBox = 0x3;
inline constexpr std::uint32_t kRadioButton = 0x4;
inline constexpr std::uint32_t kGroupBox = 0x7;
inline constexpr std::uint32_t kAutoRadioButton = 0x9;
inline constexpr std::uint32_t kOwnerDraw = 0xB;

inline constexpr std::uint32_t kEditMultiLine = 0x0004u;
inline constexpr std::uint32_t kEditPassword = 0x0020u;
inline constexpr std::uint32_t kEditAutoVScroll = 0x0040u;
inline constexpr std::uint32_t kEditAutoHScroll = 0x0080u;
inline constexpr std::uint32_t kEditReadOnly = 0x0800u;
inline constexpr std::uint32_t kEditWantReturn = 0x1000u;

inline constexpr std::uint32_t kStaticTypeMask = 0x0000001Fu;
inline constexpr std::uint32_t kStaticLeft = 0x0;
inline constexpr std::uint32_t kStaticCenter = 0x1;
inline constexpr std::uint32_t kStaticRight = 0x2;
inline constexpr std::uint32_t kStaticIcon = 0x3;
inline constexpr std::uint32_t kStaticLeftNoWordWrap = 0xC;
inline constexpr std::uint32_t kStaticNotify = 0x0100u;

inline constexpr std::uint32_t kTrackBarNoTicks = 0x0010u;
inline constexpr std::uint32_t kTrackBarVertical = 0x0002u;
}  // namespace ws

// Identifiers with a meaning of their own.
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;
inline constexpr int kIdStatic = -1;  // a control nobody addresses

struct DialogControl {
    int id = kIdStatic;
    std::string windowClass;  // "Button", "Edit", "Static", "RICHEDIT", "msctls_trackbar32", ...
    std::string text;         // UTF-8; "#<n>" names a resource (an icon for SS_ICON)
    std::uint32_t style = 0;  // includes WS_CHILD | WS_VISIBLE unless the template removes them
    std::uint32_t exStyle = 0;
    int x = 0, y = 0, cx = 0, cy = 0;  // dialog units
};

struct DialogTemplate {
    std::uint32_t style = 0;
    std::uint32_t exStyle = 0;
    int x = 0, y = 0, cx = 0, cy = 0;  // dialog units
    std::string caption;
    std::string fontFace;
    int fontPoints = 8;
    std::vector<DialogControl> controls;  // template order = tab order

    const DialogControl* FindControl(int id) const;
};

class DialogTemplateError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Reads a template from its JSON form. Style lists name the bits ("WS_TABSTOP",
// "BS_DEFPUSHBUTTON"); "NOT WS_VISIBLE" takes a bit away. Controls start with WS_CHILD |
// WS_VISIBLE. Throws DialogTemplateError for anything malformed or out of range.
DialogTemplate ParseDialogTemplate(std::span<const std::uint8_t> json);

// The compiled-in template with this number; throws DialogTemplateError when it is missing.
DialogTemplate LoadDialogTemplate(int number);

// The value of a style name such as "WS_TABSTOP"; throws DialogTemplateError when unknown.
std::uint32_t StyleBit(const std::string& name);

}  // namespace ui
