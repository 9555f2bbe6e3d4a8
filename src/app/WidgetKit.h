#pragma once
// Small makers for the main window's widgets, so that the layout code reads
// as the list of components it builds.
#include <QColor>
#include <QIcon>
#include <QString>
#include <string>

class QDialog;
class QFormLayout;
class QHBoxLayout;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QToolButton;
class QVBoxLayout;
class QWidget;

namespace quorvel::app {

// A push button with a caption (and optional glyph); `hint` becomes its tooltip.
QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption,
                        const QString& hint = {}, const QIcon& glyph = {});
// A button that shows only its glyph.
QToolButton* makeGlyphButton(QWidget* parent, const char* name, const QIcon& glyph,
                             const QString& hint);
// A plain label; named when `name` is given.
QLabel* makeLabel(QWidget* parent, const QString& text, const char* name = nullptr);
// A read-only memo holding `text`.
QPlainTextEdit* makeMemo(QWidget* parent, const char* name, const QString& text);

// The glyph buttons "OK" (BitBtn1, the default button) and "Cancel" (BitBtn2,
// which rejects) of a small dialog, laid out in a row under its `form`. The
// caller connects OK to what accepting means for that dialog.
struct OkCancel {
    QPushButton* ok;
    QPushButton* cancel;
};
OkCancel layOutFormDialog(QDialog* dialog, QFormLayout* form);

// Box layouts with the window's spacing, set on `owner` when given.
QHBoxLayout* hbox(QWidget* owner = nullptr);
QVBoxLayout* vbox(QWidget* owner = nullptr);
// Label "Alias:" followed by the bold value label `valueName` showing "?".
void addAliasPair(QHBoxLayout* row, QWidget* parent, const char* valueName);

// Caption drawn bold, and in `colour` while the control is usable.
void setBoldCaption(QWidget* w, const QColor& colour = QColor());
void setBold(QWidget* w);

// A file dialog filter written "Text|*.txt|All|*.*" in Qt's own form
// "Text (*.txt);;All (*.*)".
QString qtFileFilter(const std::string& filter);

// Glyph of the connect buttons.
QIcon connectGlyph();
// Glyph of the buttons that add (true) or delete (false) a database entry.
QIcon drumGlyph(bool add);

}  // namespace quorvel::app
