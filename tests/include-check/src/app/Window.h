// Allowed: the GUI uses Qt Widgets.
#include <QWidget>
#include <QtWidgets/QDialog>
