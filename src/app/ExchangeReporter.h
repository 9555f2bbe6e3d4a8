#pragma once
// What the fill and the read report, in the window's terms: their steps go
// to the label of their page ("Action:"), the table they are on moves the
// cursor of the table-order grid beside it, the rows of a long copy to the
// status bar; the face turns to working once the work begins (a confirmed
// question or the first step). The handler sets the face for the ending.
#include <QCoreApplication>
#include <string>

#include "engine/DataSet.h"
#include "app/Frontend.h"
#include "operation/Reporter.h"

namespace quorvel::app {

class ExchangeReporter : public Reporter {
public:
    // `stepLabel` shows the steps (none: not shown); `tables`, when given, is
    // the table-order list whose cursor follows the table being worked on.
    explicit ExchangeReporter(Frontend& window, std::optional<ctl::Control> stepLabel = std::nullopt,
                              engine::DataSet* tables = nullptr)
        : window_(window), stepLabel_(stepLabel), tables_(tables) {}

    void step(const std::string& what) override {
        working();
        phase_ = inWords(what);
        if (stepLabel_) window_.setText(*stepLabel_, phase_);
    }
    void progress(long long done, long long total) override {
        // The fill's tables follow its journal without a step of their own.
        if (phase_ == words(kJournal))
            phase_ = words(QT_TRANSLATE_NOOP("ExchangeReporter", "Sending the new and changed rows"));
        // How far, by the tables done: the rows of a table are not counted
        // beforehand, for that would cost as much as sending them.
        if (stepLabel_ && total > 0)
            window_.setText(*stepLabel_,
                            QCoreApplication::translate("ExchangeReporter", "%1 (table %2 of %3, %4 % done)")
                                .arg(QString::fromStdString(phase_), QString::number(done + 1),
                                     QString::number(total), QString::number(done * 100 / total))
                                .toStdString());
        if (!tables_) return;
        if (!tablesOpened_) {  // afresh: the list may have changed since it was shown
            tables_->close();
            tables_->open();
            tablesOpened_ = true;
        }
        tables_->moveTo(static_cast<int>(done));
    }
    void rows(const std::string& table, long long count) override { window_.rowsProgress(table, count); }
    bool confirm(const std::string& question) override {
        if (!window_.confirm(question)) return false;
        working();
        return true;
    }
    void notice(const std::string& text) override { window_.notice(text); }
    void error(const std::string& text) override {
        // Cancelled by the operator: the handler says what that left.
        if (!window_.cancelRequested()) window_.error(text);
    }
    void breathe() override { window_.processEvents(); }

    // The operation's step in the operator's words: what the fill and the
    // read do, not the names of their tables and passes.
    static std::string inWords(const std::string& step) {
        if (step == "Clear Synchro tables")
            return words(QT_TRANSLATE_NOOP("ExchangeReporter", "Emptying the synchro database"));
        if (step == "Fill R$DeletedUpdated") return words(kJournal);
        if (step == "DELETE")
            return words(QT_TRANSLATE_NOOP("ExchangeReporter", "Deleting the rows the sender deleted"));
        if (step == "INSERT") return words(QT_TRANSLATE_NOOP("ExchangeReporter", "Inserting the sender's new rows"));
        if (step == "UPDATE")
            return words(QT_TRANSLATE_NOOP("ExchangeReporter", "Updating the rows the sender changed"));
        return step;
    }

private:
    static constexpr const char* kJournal =
        QT_TRANSLATE_NOOP("ExchangeReporter", "Sending the journal of updates and deletes");

    // A marked text in the operator's language.
    static std::string words(const char* text) {
        return QCoreApplication::translate("ExchangeReporter", text).toStdString();
    }

    void working() {
        if (!working_) window_.setWorking();
        working_ = true;
    }

    Frontend& window_;
    std::optional<ctl::Control> stepLabel_;
    engine::DataSet* tables_;
    bool working_ = false;
    bool tablesOpened_ = false;
    std::string phase_;
};

}  // namespace quorvel::app
