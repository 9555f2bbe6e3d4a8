#pragma once
// The fixed texts of the main window's memos and long hints. Each is kept
// line by line as the operator reads it; blanks at line ends are part of
// the text.
#include <QString>

namespace quorvel::app {

QString helpOverviewText();      // MHelp
QString prepareHintText();       // MPrepare
QString generatorHintText();     // Memo1
QString tableHintText();         // Memo3
QString cloneHintText();         // MClone
QString collisionDescription();  // Memo2
QString copyNaturalKeyHint();    // hint of SBCopyNaturalKey
QString successHint();           // hint of SBSuccess
QString successExplanation();    // said before "Success" asks to go on
QString inactiveTriggersQuestion();  // asked before "Make Triggers Inactive"

}  // namespace quorvel::app
