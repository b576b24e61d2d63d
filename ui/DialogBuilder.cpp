#include "ui/DialogBuilder.h"

#include <QCheckBox>
#include <QDialog>
#include <QFontMetrics>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTextEdit>
#include <algorithm>
#include <cmath>

#include "util/Resources.h"
#include "util/text/Numbers.h"

namespace ui {

namespace {

constexpr int kLogicalDpi = 96;

// Windows' MulDiv: a * b / c rounded half away from zero.
int MulDiv(int a, int b, int c) {
    const long long product = static_cast<long long>(a) * b;
    const long long half = c / 2;
    return static_cast<int>(product >= 0 ? (product + half) / c : (product - half) / c);
}

bool Has(std::uint32_t style, std::uint32_t bit) {
    return (style & bit) == bit;
}

// Statics show "&" as the underline of the next letter; "&&" is one ampersand.
QString WithoutMnemonics(const QString& text) {
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('&') && i + 1 < text.size())
            ++i;
        else if (text[i] == QLatin1Char('&'))
            continue;
        out.append(text[i]);
    }
    return out;
}

QString Face(const std::string& windowsFace) {
    // The dialog faces of Windows are sans-serif faces of the same width class.
    static const char* const kSansFaces[] = {"MS Shell Dlg", "MS Shell Dlg 2", "MS Sans Serif",
                                             "Tahoma", "Microsoft Sans Serif"};
    for (const char* face : kSansFaces) {
        if (QString::fromStdString(windowsFace).compare(QLatin1String(face), Qt::CaseInsensitive) ==
            0) {
            return QStringLiteral("DejaVu Sans");
        }
    }
    return QString::fromStdString(windowsFace);
}

QPixmap IconPixmap(const std::string& text, QSize size) {
    if (text.size() < 2 || text[0] != '#')
        return {};
    const auto number = util::ParseInt(text.substr(1));
    if (!number)
        return {};
    const auto data = util::FindResourceData(*number, util::ResourceType::Icon);
    if (!data)
        return {};
    QPixmap pixmap;
    pixmap.loadFromData(data->data(), static_cast<uint>(data->size()), "ICO");
    if (pixmap.isNull())
        return {};
    // An icon control shows the icon at its natural 32 x 32 unless told otherwise.
    const int side = std::min(
        {32, size.width() > 0 ? size.width() : 32, size.height() > 0 ? size.height() : 32});
    const QIcon icon(pixmap);
    return icon.pixmap(side, side);
}

QWidget* MakeButton(const DialogControl& control, QDialog& dialog) {
    const QString text = QString::fromStdString(control.text);
    switch (control.style & ws::kButtonTypeMask) {
        case ws::kGroupBox:
            return new QGroupBox(WithoutMnemonics(text), &dialog);
        case ws::kCheckBox:
        case ws::kAutoCheckBox:
            return new QCheckBox(text, &dialog);
        case ws::kRadioButton:
        case ws::kAutoRadioButton:
            return new QRadioButton(text, &dialog);
        case ws::kOwnerDraw: {
            auto* button = new QPushButton(text, &dialog);
            button->setFlat(true);
            button->setAutoDefault(false);
            return button;
        }
        default: {
            auto* button = new QPushButton(text, &dialog);
            const bool isDefault = (control.style & ws::kButtonTypeMask) == ws::kDefPushButton;
            button->setAutoDefault(isDefault);
            button->setDefault(isDefault);
            return button;
        }
    }
}

QWidget* MakeEdit(const DialogControl& control, QDialog& dialog) {
    const QString text = QString::fromStdString(control.text);
    if (Has(control.style, ws::kEditMultiLine)) {
        auto* edit = new QPlainTextEdit(text, &dialog);
        edit->setReadOnly(Has(control.style, ws::kEditReadOnly));
        edit->setLineWrapMode(Has(control.style, ws::kEditAutoHScroll)
                                  ? QPlainTextEdit::NoWrap
                                  : QPlainTextEdit::WidgetWidth);
        return edit;
    }
    auto* edit = new QLineEdit(text, &dialog);
    edit->setFrame(Has(control.style, ws::kBorder));
    edit->setReadOnly(Has(control.style, ws::kEditReadOnly));
    if (Has(control.style, ws::kEditPassword))
        edit->setEchoMode(QLineEdit::Password);
    return edit;
}

QWidget* MakeRichEdit(const DialogControl& control, QDialog& dialog) {
    auto* edit = new QTextEdit(&dialog);
    edit->setAcceptRichText(false);
    edit->setPlainText(QString::fromStdString(control.text));
    edit->setReadOnly(Has(control.style, ws::kEditReadOnly));
    edit->setLineWrapMode(Has(control.style, ws::kEditAutoHScroll) ? QTextEdit::NoWrap
                                                                   : QTextEdit::WidgetWidth);
    if (!Has(control.style, ws::kBorder))
        edit->setFrameShape(QFrame::NoFrame);
    return edit;
}

QWidget* MakeStatic(const DialogControl& control, QDialog& dialog, QSize size) {
    auto* label = new QLabel(&dialog);
    const std::uint32_t type = control.style & ws::kStaticTypeMask;
    if (type == ws::kStaticIcon) {
        label->setPixmap(IconPixmap(control.text, size));
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        return label;
    }
    QString text = WithoutMnemonics(QString::fromStdString(control.text));
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    label->setWordWrap(type != ws::kStaticLeftNoWordWrap);
    Qt::Alignment alignment = Qt::AlignTop;
    if (type == ws::kStaticCenter)
        alignment |= Qt::AlignHCenter;
    else if (type == ws::kStaticRight)
        alignment |= Qt::AlignRight;
    else
        alignment |= Qt::AlignLeft;
    label->setAlignment(alignment);
    return label;
}

QWidget* MakeControl(const DialogControl& control, QDialog& dialog, QSize size) {
    const std::string& kind = control.windowClass;
    const auto is = [&kind](const char* name) {
        return QString::fromStdString(kind).compare(QLatin1String(name), Qt::CaseInsensitive) == 0;
    };
    if (is("Button"))
        return MakeButton(control, dialog);
    if (is("Edit"))
        return MakeEdit(control, dialog);
    if (is("Static"))
        return MakeStatic(control, dialog, size);
    if (is("RICHEDIT") || is("RichEdit20A") || is("RichEdit20W"))
        return MakeRichEdit(control, dialog);
    if (is("msctls_trackbar32")) {
        return new QSlider(
            Has(control.style, ws::kTrackBarVertical) ? Qt::Vertical : Qt::Horizontal, &dialog);
    }
    if (is("msctls_progress32"))
        return new QProgressBar(&dialog);
    throw DialogTemplateError("dialog template: unknown window class \"" + kind + "\"");
}

bool TakesFocus(const QWidget* widget) {
    return qobject_cast<const QAbstractButton*>(widget) || qobject_cast<const QLineEdit*>(widget) ||
           qobject_cast<const QAbstractScrollArea*>(widget) || qobject_cast<const QSlider*>(widget);
}

Qt::WindowFlags WindowFlagsOf(const DialogTemplate& t) {
    Qt::WindowFlags flags = Qt::Dialog;
    if (!Has(t.style, ws::kCaption))
        return flags | Qt::FramelessWindowHint;
    flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (Has(t.style, ws::kSysMenu))
        flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    return flags;
}

}  // namespace

DialogBaseUnits BaseUnitsOf(const QFont& font) {
    const QFontMetrics metrics(font);
    const int extent = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return {(extent / 26 + 1) / 2, metrics.height()};
}

QRect DialogUnitsToPixels(int x, int y, int cx, int cy, DialogBaseUnits units) {
    const int left = MulDiv(x, units.averageWidth, 4);
    const int top = MulDiv(y, units.height, 8);
    const int right = MulDiv(x + cx, units.averageWidth, 4);
    const int bottom = MulDiv(y + cy, units.height, 8);
    return {left, top, right - left, bottom - top};
}

QFont TemplateFont(const DialogTemplate& dialogTemplate) {
    QFont font(Face(dialogTemplate.fontFace));
    font.setPixelSize(MulDiv(dialogTemplate.fontPoints, kLogicalDpi, 72));
    return font;
}

QWidget* DialogItems::Item(int id) const {
    const auto it = byId_.find(id);
    return it == byId_.end() ? nullptr : it->second;
}

DialogItems BuildDialog(QDialog& dialog, const DialogTemplate& t) {
    const QFont font = TemplateFont(t);
    const DialogBaseUnits units = BaseUnitsOf(font);
    dialog.setWindowFlags(WindowFlagsOf(t));
    dialog.setFont(font);
    dialog.setWindowTitle(QString::fromStdString(t.caption));
    dialog.setFixedSize(DialogUnitsToPixels(0, 0, t.cx, t.cy, units).size());

    DialogItems items;
    QWidget* previousTabStop = nullptr;
    QWidget* firstFocus = nullptr;
    for (const DialogControl& control : t.controls) {
        const QRect place =
            DialogUnitsToPixels(control.x, control.y, control.cx, control.cy, units);
        QWidget* widget = MakeControl(control, dialog, place.size());
        widget->setGeometry(place);
        widget->setProperty("dialogItemId", control.id);
        widget->setEnabled(!Has(control.style, ws::kDisabled));
        widget->setVisible(Has(control.style, ws::kVisible));
        if (TakesFocus(widget)) {
            widget->setFocusPolicy(Has(control.style, ws::kTabStop) ? Qt::StrongFocus
                                                                    : Qt::ClickFocus);
        }
        if (Has(control.style, ws::kTabStop)) {
            if (previousTabStop)
                QWidget::setTabOrder(previousTabStop, widget);
            previousTabStop = widget;
            if (!firstFocus && widget->isEnabled() && Has(control.style, ws::kVisible))
                firstFocus = widget;
        }
        if (auto* button = qobject_cast<QPushButton*>(widget)) {
            if (control.id == kIdOk)
                QObject::connect(button, &QPushButton::clicked, &dialog, &QDialog::accept);
            if (control.id == kIdCancel)
                QObject::connect(button, &QPushButton::clicked, &dialog, &QDialog::reject);
        }
        if (control.id != kIdStatic)
            items.byId_[control.id] = widget;
        items.ordered_.push_back(widget);
    }
    if (firstFocus)
        firstFocus->setFocus(Qt::OtherFocusReason);
    return items;
}

}  // namespace ui
