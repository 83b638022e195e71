// Dialog templates: read from the program's resources once, turned into widgets on request.
#include "platform/templates/templates.h"

#include <QDialog>
#include <QFile>
#include <QFont>
#include <QFontMetrics>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QProxyStyle>
#include <QPushButton>
#include <QSlider>
#include <QtGlobal>

// The resources are linked from a static library: registering them by name keeps them in every
// program that loads a template or the icon.
static void RegisterResources()
{
    static const bool done = [] {
        Q_INIT_RESOURCE(stillcutter);
        return true;
    }();
    (void)done;
}

namespace platform {

namespace {

QStringList StringsOf(const QJsonValue& value)
{
    QStringList list;
    for (const QJsonValue& item : value.toArray())
        list.append(item.toString());
    return list;
}

ControlTemplate ParseControl(const QJsonObject& o)
{
    ControlTemplate c;
    c.id = o.value("id").toInt(-1);
    c.name = o.value("name").toString();
    c.kind = o.value("kind").toString();
    c.text = o.value("text").toString();
    c.x = o.value("x").toInt();
    c.y = o.value("y").toInt();
    c.cx = o.value("cx").toInt();
    c.cy = o.value("cy").toInt();
    c.styles = StringsOf(o.value("styles"));
    return c;
}

DialogTemplate ParseDialog(const QJsonObject& o)
{
    DialogTemplate d;
    d.id = o.value("id").toInt();
    d.name = o.value("name").toString();
    d.caption = o.value("caption").toString();
    d.fontName = o.value("font").toString();
    d.pointSize = o.value("pointSize").toInt(8);
    d.x = o.value("x").toInt();
    d.y = o.value("y").toInt();
    d.cx = o.value("cx").toInt();
    d.cy = o.value("cy").toInt();
    d.styles = StringsOf(o.value("styles"));
    for (const QJsonValue& control : o.value("controls").toArray())
        d.controls.append(ParseControl(control.toObject()));
    return d;
}

QHash<QString, DialogTemplate> ParseTemplates()
{
    RegisterResources();
    QFile file(QStringLiteral(":/templates.json"));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("The dialog templates are missing from the program's resources");
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &error);
    if (error.error != QJsonParseError::NoError)
        qFatal("The dialog templates cannot be read: %s at %d",
               qPrintable(error.errorString()), error.offset);
    QHash<QString, DialogTemplate> all;
    for (const QJsonValue& dialog : doc.object().value("dialogs").toArray()) {
        DialogTemplate d = ParseDialog(dialog.toObject());
        all.insert(d.name, d);
    }
    return all;
}

// A trackbar pages when its groove is clicked and follows the thumb when dragged, whatever the
// style's own preference for the left button is.
class TrackbarStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override
    {
        if (hint == SH_Slider_AbsoluteSetButtons)
            return Qt::MiddleButton;
        if (hint == SH_Slider_PageSetButtons)
            return Qt::LeftButton;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

// A horizontal slider with the keys of a trackbar: Left and Up a line towards the start, Right
// and Down a line towards the end, Page Up and Page Down a page, Home and End to the ends.
class Trackbar : public QSlider {
public:
    explicit Trackbar(QWidget* parent) : QSlider(Qt::Horizontal, parent) {}

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        SliderAction action = SliderNoAction;
        switch (event->key()) {
        case Qt::Key_Left:
        case Qt::Key_Up:
            action = SliderSingleStepSub;
            break;
        case Qt::Key_Right:
        case Qt::Key_Down:
            action = SliderSingleStepAdd;
            break;
        case Qt::Key_PageUp:
            action = SliderPageStepSub;
            break;
        case Qt::Key_PageDown:
            action = SliderPageStepAdd;
            break;
        case Qt::Key_Home:
            action = SliderToMinimum;
            break;
        case Qt::Key_End:
            action = SliderToMaximum;
            break;
        default:
            QSlider::keyPressEvent(event);
            return;
        }
        triggerAction(action);
        event->accept();
    }
};

QWidget* MakeButton(QDialog* dialog, const ControlTemplate& c, bool& defaultTaken)
{
    auto* button = new QPushButton(c.text, dialog);
    // Enter presses the focused button; elsewhere it presses the dialog's default button,
    // the first one the template marks so.
    button->setAutoDefault(true);
    if (c.kind == QLatin1String("defbutton") && !defaultTaken) {
        button->setDefault(true);
        defaultTaken = true;
    }
    return button;
}

QWidget* MakeStatic(QDialog* dialog, const ControlTemplate& c)
{
    auto* label = new QLabel(c.text, dialog);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setWordWrap(true);
    return label;
}

QWidget* MakeEdit(QDialog* dialog, const ControlTemplate& c, int tabStopPixels)
{
    const bool readOnly = c.Has("ES_READONLY");
    if (!c.Has("ES_MULTILINE")) {
        auto* edit = new QLineEdit(c.text, dialog);
        edit->setReadOnly(readOnly);
        edit->setFrame(c.Has("WS_BORDER"));
        return edit;
    }
    auto* edit = new QPlainTextEdit(dialog);
    edit->setReadOnly(readOnly);
    if (readOnly)  // scrolled, selected and copied by mouse and keyboard, never changed
        edit->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    edit->setTabChangesFocus(true);
    edit->setTabStopDistance(tabStopPixels);
    edit->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    edit->setVerticalScrollBarPolicy(c.Has("WS_VSCROLL") ? Qt::ScrollBarAlwaysOn
                                                         : Qt::ScrollBarAlwaysOff);
    if (!c.Has("WS_BORDER"))
        edit->setFrameShape(QFrame::NoFrame);
    SetWindowText(edit, c.text);
    return edit;
}

// A static text of one line keeps to that line. Where the substitute font is wider than the
// template's own, the text gets the room it needs to the right instead of being cut off.
void FitStaticText(QLabel* label)
{
    const QFontMetrics metrics(label->font(), label);
    if (label->height() >= 2 * metrics.height())
        return;  // room for more lines: the text wraps
    label->setWordWrap(false);
    const int needed = metrics.horizontalAdvance(label->text());
    if (needed > label->width())
        label->resize(needed, label->height());
}

QWidget* MakeProgress(QDialog* dialog, const ControlTemplate& c)
{
    auto* bar = new QProgressBar(dialog);
    bar->setOrientation(Qt::Horizontal);
    bar->setRange(0, 100);
    bar->setValue(0);
    bar->setTextVisible(false);
    bar->setWindowTitle(c.text);  // the window text, never shown
    return bar;
}

QWidget* MakeTrackbar(QDialog* dialog, const ControlTemplate& c)
{
    auto* slider = new Trackbar(dialog);
    auto* style = new TrackbarStyle;
    style->setParent(slider);
    slider->setStyle(style);
    slider->setRange(0, 100);
    slider->setSingleStep(1);
    slider->setPageStep(20);
    if (c.Has("TBS_AUTOTICKS")) {
        slider->setTickPosition(c.Has("TBS_BOTH")  ? QSlider::TicksBothSides
                                : c.Has("TBS_TOP") ? QSlider::TicksAbove
                                                   : QSlider::TicksBelow);
        slider->setTickInterval(1);
    }
    slider->setWindowTitle(c.text);  // the window text, never shown
    return slider;
}

QWidget* MakeIcon(QDialog* dialog)
{
    auto* label = new QLabel(dialog);
    label->setPixmap(LoadAppIcon().pixmap(QSize(32, 32)));
    return label;
}

}  // namespace

const DialogTemplate& LoadDialogTemplate(const QString& name)
{
    static const QHash<QString, DialogTemplate> all = ParseTemplates();
    const auto found = all.constFind(name);
    if (found == all.constEnd())
        qFatal("No dialog template %s", qPrintable(name));
    return *found;
}

QIcon LoadAppIcon()
{
    RegisterResources();
    QIcon icon;
    icon.addFile(QStringLiteral(":/icons/stillcutter-16.png"), QSize(16, 16));
    icon.addFile(QStringLiteral(":/icons/stillcutter-32.png"), QSize(32, 32));
    return icon;
}

BaseUnits MeasureBaseUnits(const QFont& font, const QPaintDevice* device)
{
    const QFontMetrics metrics(font, device);
    const int width =
        metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return BaseUnits{(width / 26 + 1) / 2, metrics.height()};
}

BaseUnits StandardBaseUnits(int logicalDpi)
{
    return BaseUnits{MulDiv(6, logicalDpi, 96), MulDiv(13, logicalDpi, 96)};
}

void DialogLayout::Build(QDialog* dialog, const DialogTemplate& tmpl, const BaseUnitsCheck& check)
{
    m_template = &tmpl;
    m_items.clear();
    m_controls.clear();

    QFont font(tmpl.fontName, tmpl.pointSize, QFont::Normal, false);
    dialog->setFont(font);
    const BaseUnits measured = MeasureBaseUnits(dialog->font(), dialog);
    const bool keepMeasured = !check || check(measured);
    const BaseUnits units = keepMeasured ? measured : StandardBaseUnits(dialog->logicalDpiY());
    if (!keepMeasured) {
        // The substitute font is wider than the one the template was drawn for: take it a
        // little smaller, so that the texts fit the controls laid out in the standard units.
        QFont fitted = dialog->font();
        qreal size = fitted.pointSizeF();
        while (MeasureBaseUnits(fitted, dialog).x > units.x && size > 6.0) {
            size -= 0.5;
            fitted.setPointSizeF(size);
        }
        dialog->setFont(fitted);
    }
    m_baseX = units.x;
    m_baseY = units.y;

    // A fixed frame with a caption, a close box, and a minimise box where the template has
    // one; never a maximise box. A dialog with its own taskbar entry is a window of its own.
    Qt::WindowFlags flags = (tmpl.Has("WS_EX_APPWINDOW") ? Qt::Window : Qt::Dialog) |
                            Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                            Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                            Qt::MSWindowsFixedSizeDialogHint;
    if (tmpl.Has("WS_MINIMIZEBOX"))
        flags |= Qt::WindowMinimizeButtonHint;
    dialog->setWindowFlags(flags);
    dialog->setWindowTitle(tmpl.caption);
    dialog->setSizeGripEnabled(false);
    dialog->setFixedSize(ToPixelsX(tmpl.cx), ToPixelsY(tmpl.cy));

    bool defaultTaken = false;
    QWidget* previousInTab = nullptr;
    for (const ControlTemplate& c : tmpl.controls) {
        QWidget* control = CreateControl(dialog, c, defaultTaken);
        control->setProperty("controlId", c.id);
        if (!c.name.isEmpty())
            control->setObjectName(c.name);
        if (c.kind == QLatin1String("icon"))  // an icon control takes the icon's size
            control->setGeometry(QRect(ToPixels(c.x, c.y, c.cx, c.cy).topLeft(), QSize(32, 32)));
        else
            control->setGeometry(ToPixels(c.x, c.y, c.cx, c.cy));
        if (c.kind == QLatin1String("static"))
            FitStaticText(static_cast<QLabel*>(control));
        if (c.Has("WS_TABSTOP")) {
            control->setFocusPolicy(Qt::StrongFocus);
            if (previousInTab)
                QWidget::setTabOrder(previousInTab, control);
            previousInTab = control;
        } else {
            control->setFocusPolicy(Qt::NoFocus);
        }
        m_controls.append(control);
        if (c.id != -1 && !m_items.contains(c.id))
            m_items.insert(c.id, control);
    }
}

QWidget* DialogLayout::CreateControl(QDialog* dialog, const ControlTemplate& c, bool& defaultTaken)
{
    if (c.kind == QLatin1String("button") || c.kind == QLatin1String("defbutton"))
        return MakeButton(dialog, c, defaultTaken);
    if (c.kind == QLatin1String("edit"))
        return MakeEdit(dialog, c, ToPixelsX(32));  // the edit's tab stops: every 32 units
    if (c.kind == QLatin1String("progress"))
        return MakeProgress(dialog, c);
    if (c.kind == QLatin1String("trackbar"))
        return MakeTrackbar(dialog, c);
    if (c.kind == QLatin1String("icon"))
        return MakeIcon(dialog);
    if (c.kind != QLatin1String("static"))
        qFatal("Unknown control kind %s in a dialog template", qPrintable(c.kind));
    return MakeStatic(dialog, c);
}

int DialogLayout::ToPixelsX(int dluX) const { return MulDiv(dluX, m_baseX, 4); }

int DialogLayout::ToPixelsY(int dluY) const { return MulDiv(dluY, m_baseY, 8); }

QRect DialogLayout::ToPixels(int x, int y, int cx, int cy) const
{
    const int left = ToPixelsX(x);
    const int top = ToPixelsY(y);
    return QRect(left, top, ToPixelsX(x + cx) - left, ToPixelsY(y + cy) - top);
}

void SetWindowText(QWidget* control, const QString& text)
{
    if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        edit->setText(text);
    } else if (auto* multi = qobject_cast<QPlainTextEdit*>(control)) {
        // The lines are CR LF apart; the document takes one line break for each.
        QString lines = text;
        lines.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        multi->setPlainText(lines);
        multi->moveCursor(QTextCursor::Start);
    } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        button->setText(text);
    } else if (auto* label = qobject_cast<QLabel*>(control)) {
        label->setText(text);
    } else if (control) {
        control->setWindowTitle(text);
    }
}

QString GetWindowText(const QWidget* control)
{
    if (auto* edit = qobject_cast<const QLineEdit*>(control))
        return edit->text();
    if (auto* multi = qobject_cast<const QPlainTextEdit*>(control)) {
        QString text = multi->toPlainText();
        text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
        return text;
    }
    if (auto* button = qobject_cast<const QAbstractButton*>(control))
        return button->text();
    if (auto* label = qobject_cast<const QLabel*>(control))
        return label->text();
    return control ? control->windowTitle() : QString();
}

}  // namespace platform
