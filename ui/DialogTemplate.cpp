#include "ui/DialogTemplate.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <map>

#include "util/Resources.h"

namespace ui {

namespace {

// Dialog units are 16-bit in a Windows template; anything larger is a broken template.
constexpr int kMaxUnits = 32767;
constexpr qsizetype kMaxTemplateBytes = 256 * 1024;
constexpr qsizetype kMaxControls = 255;
constexpr qsizetype kMaxText = 4096;

const std::map<std::string, std::uint32_t>& StyleNames() {
    static const std::map<std::string, std::uint32_t> names = {
        {"WS_POPUP", ws::kPopup},
        {"WS_CHILD", ws::kChild},
        {"WS_VISIBLE", ws::kVisible},
        {"WS_DISABLED", ws::kDisabled},
        {"WS_CAPTION", ws::kCaption},
        {"WS_BORDER", ws::kBorder},
        {"WS_VSCROLL", ws::kVScroll},
        {"WS_HSCROLL", ws::kHScroll},
        {"WS_SYSMENU", ws::kSysMenu},
        {"WS_MINIMIZEBOX", ws::kMinimizeBox},
        {"WS_GROUP", ws::kGroup},
        {"WS_TABSTOP", ws::kTabStop},
        {"DS_MODALFRAME", ws::kModalFrame},
        {"WS_EX_TOOLWINDOW", ws::kExToolWindow},
        {"WS_EX_APPWINDOW", ws::kExAppWindow},
        {"WS_EX_TOPMOST", ws::kExTopMost},
        {"BS_PUSHBUTTON", ws::kPushButton},
        {"BS_DEFPUSHBUTTON", ws::kDefPushButton},
        {"BS_CHECKBOX", ws::kCheckBox},
        {"BS_AUTOCHECKBOX", ws::kAutoCheckBox},
        {"BS_RADIOBUTTON", ws::kRadioButton},
        {"BS_AUTORADIOBUTTON", ws::kAutoRadioButton},
        {"BS_GROUPBOX", ws::kGroupBox},
        {"BS_OWNERDRAW", ws::kOwnerDraw},
        {"ES_LEFT", 0},
        {"ES_MULTILINE", ws::kEditMultiLine},
        {"ES_PASSWORD", ws::kEditPassword},
        {"ES_AUTOVSCROLL", ws::kEditAutoVScroll},
        {"ES_AUTOHSCROLL", ws::kEditAutoHScroll},
        {"ES_READONLY", ws::kEditReadOnly},
        {"ES_WANTRETURN", ws::kEditWantReturn},
        {"SS_LEFT", ws::kStaticLeft},
        {"SS_CENTER", ws::kStaticCenter},
        {"SS_RIGHT", ws::kStaticRight},
        {"SS_ICON", ws::kStaticIcon},
        {"SS_LEFTNOWORDWRAP", ws::kStaticLeftNoWordWrap},
        {"SS_NOTIFY", ws::kStaticNotify},
        {"TBS_HORZ", 0},
        {"TBS_VERT", ws::kTrackBarVertical},
        {"TBS_NOTICKS", ws::kTrackBarNoTicks},
    };
    return names;
}

[[noreturn]] void Fail(const std::string& what) {
    throw DialogTemplateError("dialog template: " + what);
}

int Units(const QJsonObject& object, const char* key, int minimum) {
    const QJsonValue value = object.value(QLatin1String(key));
    if (!value.isDouble())
        Fail(std::string("\"") + key + "\" must be a number");
    const double d = value.toDouble();
    if (d != static_cast<double>(static_cast<int>(d)) || d < minimum || d > kMaxUnits) {
        Fail(std::string("\"") + key + "\" is out of range");
    }
    return static_cast<int>(d);
}

std::string Text(const QJsonObject& object, const char* key) {
    const QJsonValue value = object.value(QLatin1String(key));
    if (value.isUndefined())
        return {};
    if (!value.isString())
        Fail(std::string("\"") + key + "\" must be text");
    const QString text = value.toString();
    if (text.size() > kMaxText)
        Fail(std::string("\"") + key + "\" is too long");
    return text.toStdString();
}

// Applies a list of style names to `bits`.
std::uint32_t Styles(const QJsonObject& object, const char* key, std::uint32_t bits) {
    const QJsonValue value = object.value(QLatin1String(key));
    if (value.isUndefined())
        return bits;
    if (!value.isArray())
        Fail(std::string("\"") + key + "\" must be a list of style names");
    for (const QJsonValue& entry : value.toArray()) {
        if (!entry.isString())
            Fail("a style name must be text");
        std::string name = entry.toString().toStdString();
        const bool remove = name.rfind("NOT ", 0) == 0;
        if (remove)
            name = name.substr(4);
        const std::uint32_t bit = StyleBit(name);
        bits = remove ? (bits & ~bit) : (bits | bit);
    }
    return bits;
}

DialogControl ParseControl(const QJsonObject& object) {
    DialogControl control;
    const QJsonValue id = object.value(QLatin1String("id"));
    if (!id.isDouble() || id.toDouble() < -1 || id.toDouble() > 65535 ||
        id.toDouble() != static_cast<double>(id.toInt())) {
        Fail("a control needs an \"id\" from -1 to 65535");
    }
    control.id = id.toInt();
    control.windowClass = Text(object, "class");
    if (control.windowClass.empty())
        Fail("a control needs a \"class\"");
    control.text = Text(object, "text");
    control.style = Styles(object, "style", ws::kChild | ws::kVisible);
    control.exStyle = Styles(object, "exStyle", 0);
    control.x = Units(object, "x", -kMaxUnits);
    control.y = Units(object, "y", -kMaxUnits);
    control.cx = Units(object, "cx", 0);
    control.cy = Units(object, "cy", 0);
    return control;
}

}  // namespace

const DialogControl* DialogTemplate::FindControl(int id) const {
    for (const DialogControl& control : controls) {
        if (control.id == id)
            return &control;
    }
    return nullptr;
}

std::uint32_t StyleBit(const std::string& name) {
    const auto& names = StyleNames();
    const auto it = names.find(name);
    if (it == names.end())
        Fail("unknown style \"" + name + "\"");
    return it->second;
}

DialogTemplate ParseDialogTemplate(std::span<const std::uint8_t> json) {
    if (static_cast<qsizetype>(json.size()) > kMaxTemplateBytes)
        Fail("too large");
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(
        QByteArray(reinterpret_cast<const char*>(json.data()), static_cast<qsizetype>(json.size())),
        &error);
    if (error.error != QJsonParseError::NoError)
        Fail(error.errorString().toStdString());
    if (!document.isObject())
        Fail("not an object");
    const QJsonObject root = document.object();

    DialogTemplate result;
    result.style = Styles(root, "style", 0);
    result.exStyle = Styles(root, "exStyle", 0);
    result.x = Units(root, "x", -kMaxUnits);
    result.y = Units(root, "y", -kMaxUnits);
    result.cx = Units(root, "cx", 0);
    result.cy = Units(root, "cy", 0);
    result.caption = Text(root, "caption");
    const QJsonObject font = root.value(QLatin1String("font")).toObject();
    result.fontFace = Text(font, "face");
    if (result.fontFace.empty())
        Fail("a template needs a font face");
    const int points = Units(font, "points", 1);
    if (points > 72)
        Fail("font size out of range");
    result.fontPoints = points;

    const QJsonValue controls = root.value(QLatin1String("controls"));
    if (!controls.isArray())
        Fail("\"controls\" must be a list");
    const QJsonArray list = controls.toArray();
    if (list.size() > kMaxControls)
        Fail("too many controls");
    for (const QJsonValue& entry : list) {
        if (!entry.isObject())
            Fail("a control must be an object");
        result.controls.push_back(ParseControl(entry.toObject()));
    }
    return result;
}

DialogTemplate LoadDialogTemplate(int number) {
    const auto data = util::FindResourceData(number, util::ResourceType::Template);
    if (!data)
        Fail("template " + std::to_string(number) + " is missing");
    return ParseDialogTemplate(*data);
}

}  // namespace ui
