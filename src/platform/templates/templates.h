// Dialog templates as data (res/templates.json), in dialog units, turned into widgets.
//
// Kinds and what they become:
//   "button", "defbutton"  QPushButton (auto-default; the first "defbutton" is the default)
//   "static"               QLabel, left-aligned, word-wrapped
//   "edit"                 QLineEdit, or QPlainTextEdit with ES_MULTILINE; ES_READONLY keeps
//                          the text selectable and copyable, and the control focusable
//   "progress"             QProgressBar, no text, range 0..100
//   "trackbar"             horizontal QSlider, range 0..100, page step 20, line step 1; ticks
//                          above every step with TBS_AUTOTICKS | TBS_TOP; a click on the groove
//                          pages, a drag tracks
//   "icon"                 QLabel showing the icon resource named by the text
// Controls with WS_TABSTOP take the focus by Tab and click; the others never take it. The tab
// order is the template order.
#pragma once

#include <QHash>
#include <QIcon>
#include <QString>
#include <QStringList>
#include <QVector>
#include <QWidget>

#include <functional>

class QDialog;
class QFont;
class QPaintDevice;

namespace platform {

struct ControlTemplate {
    int id = -1;           // IDC_ value, -1 for none
    QString name;          // "IDC_OPEN_AVI", empty for none
    QString kind;          // "button", "defbutton", "static", "edit", "progress", "trackbar", "icon"
    QString text;
    int x = 0, y = 0, cx = 0, cy = 0;  // dialog units
    QStringList styles;    // e.g. "ES_READONLY", "ES_MULTILINE", "BS_CENTER", "WS_TABSTOP"

    bool Has(const char* style) const { return styles.contains(QLatin1String(style)); }
};

struct DialogTemplate {
    int id = 0;
    QString name;          // "IDD_MAIN"
    QString caption;
    QString fontName;
    int pointSize = 8;
    int x = 0, y = 0, cx = 0, cy = 0;  // dialog units
    QStringList styles;
    QVector<ControlTemplate> controls;  // template order = tab order

    bool Has(const char* style) const { return styles.contains(QLatin1String(style)); }
};

// MulDiv: a * b / c, rounded half away from zero, as dialog units are turned into pixels.
constexpr int MulDiv(int a, int b, int c)
{
    const long long product = static_cast<long long>(a) * b;
    const long long half = c / 2;
    return static_cast<int>(product >= 0 ? (product + half) / c : (product - half) / c);
}

// The template of that name from the program's resources; aborts on a name that is not there
// (a build fault, not a user's).
const DialogTemplate& LoadDialogTemplate(const QString& name);

// The program's icon (IDR_MAINFRAME): 16 and 32 pixel images.
QIcon LoadAppIcon();

// The dialog base units of a font: the average width of the 52 letters A-Z a-z, rounded, and
// the font's height, in the pixels of `device`.
struct BaseUnits {
    int x = 6;
    int y = 13;

    int ToPixelsX(int dluX) const { return MulDiv(dluX, x, 4); }
    int ToPixelsY(int dluY) const { return MulDiv(dluY, y, 8); }
};
BaseUnits MeasureBaseUnits(const QFont& font, const QPaintDevice* device);
// The units of the platform's standard dialog font (6 x 13 at 96 dpi) at `logicalDpi`.
BaseUnits StandardBaseUnits(int logicalDpi);

// Whether a dialog's layout holds with the measured units; when it does not, the standard
// units at the dialog's resolution are used instead.
using BaseUnitsCheck = std::function<bool(const BaseUnits& measured)>;

// The widgets of one dialog built from its template.
class DialogLayout {
public:
    // Creates the controls as children of `dialog`, sizes the dialog (fixed, not resizable),
    // sets its caption, font, window buttons and tab order.
    void Build(QDialog* dialog, const DialogTemplate& tmpl, const BaseUnitsCheck& check = {});

    // The control with that id (GetDlgItem), or null.
    QWidget* Item(int id) const { return m_items.value(id, nullptr); }
    template <class W> W* Item(int id) const { return qobject_cast<W*>(Item(id)); }

    // Dialog units to pixels with this dialog's base units (MulDiv, rounded).
    int ToPixelsX(int dluX) const;
    int ToPixelsY(int dluY) const;
    int BaseUnitX() const { return m_baseX; }
    int BaseUnitY() const { return m_baseY; }
    // The pixel rectangle of a rectangle in dialog units (MapDialogRect).
    QRect ToPixels(int x, int y, int cx, int cy) const;

    // Every control in template order, those without an id included.
    const QVector<QWidget*>& Controls() const { return m_controls; }
    // The template the dialog was built from (null before Build).
    const DialogTemplate* Template() const { return m_template; }

private:
    QWidget* CreateControl(QDialog* dialog, const ControlTemplate& control, bool& defaultTaken);

    QHash<int, QWidget*> m_items;
    QVector<QWidget*> m_controls;
    const DialogTemplate* m_template = nullptr;
    int m_baseX = 6, m_baseY = 13;
};

// The text of a control, as the platform's window text: a multi-line edit takes and gives its
// lines separated by CR LF.
void SetWindowText(QWidget* control, const QString& text);
QString GetWindowText(const QWidget* control);

}  // namespace platform
