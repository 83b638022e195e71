// Dialog templates as data (res/templates.json), in dialog units, turned into widgets.
#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>
#include <QWidget>

class QDialog;

namespace platform {

struct ControlTemplate {
    int id = -1;           // IDC_ value, -1 for none
    QString kind;          // "button", "defbutton", "static", "edit", "progress", "trackbar", "icon"
    QString text;
    int x = 0, y = 0, cx = 0, cy = 0;  // dialog units
    QStringList styles;    // e.g. "ES_READONLY", "ES_MULTILINE", "BS_CENTER", "WS_TABSTOP"
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
};

// The template of that name from the program's resources; aborts on a name that is not there
// (a build fault, not a user's).
const DialogTemplate& LoadDialogTemplate(const QString& name);

// The widgets of one dialog built from its template.
class DialogLayout {
public:
    // Creates the controls as children of `dialog`, sizes the dialog, sets its caption, font
    // and tab order.
    void Build(QDialog* dialog, const DialogTemplate& tmpl);

    // The control with that id (GetDlgItem), or null.
    QWidget* Item(int id) const { return m_items.value(id, nullptr); }
    template <class W> W* Item(int id) const { return qobject_cast<W*>(Item(id)); }

    // Dialog units to pixels with this dialog's base units.
    int ToPixelsX(int dluX) const;
    int ToPixelsY(int dluY) const;
    int BaseUnitX() const { return m_baseX; }
    int BaseUnitY() const { return m_baseY; }

    // Every control in template order, those without an id included.
    const QVector<QWidget*>& Controls() const { return m_controls; }

private:
    QHash<int, QWidget*> m_items;
    QVector<QWidget*> m_controls;
    int m_baseX = 6, m_baseY = 13;
};

}  // namespace platform
