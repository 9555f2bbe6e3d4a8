// Refused: the command-line tool pulling in a widget.
#include <QMessageBox>
