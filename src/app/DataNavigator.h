#pragma once
// A navigator bar for one data set: first, prior, next, last, insert,
// delete, edit, post, cancel and refresh, enabled as the data set's state
// allows.
#include <QWidget>
#include <array>

#include "app/Frontend.h"
#include "engine/DataSet.h"

class QToolButton;

namespace quorvel::app {

class DataNavigator : public QWidget, private engine::DataSetListener {
    Q_OBJECT
public:
    enum Button { First, Prior, Next, Last, Insert, Delete, Edit, Post, Cancel, Refresh, Count };

    DataNavigator(engine::DataSet& dataSet, Frontend& ui, QWidget* parent = nullptr);
    ~DataNavigator() override;

    QToolButton* button(Button b) const { return buttons_[b]; }
    // Runs what button `b` does (also what a click does).
    void press(Button b);

private:
    void dataSetOpened(engine::DataSet&) override { updateButtons(); }
    void dataSetClosed(engine::DataSet&) override { updateButtons(); }
    void currentRowChanged(engine::DataSet&) override { updateButtons(); }
    void stateChanged(engine::DataSet&) override { updateButtons(); }
    void rowInserted(engine::DataSet&, int) override { updateButtons(); }
    void rowRemoved(engine::DataSet&, int) override { updateButtons(); }

    void updateButtons();
    void act(Button b);
    // The current row, as a question names it.
    std::string rowText() const;

    engine::DataSet& ds_;
    Frontend& ui_;
    std::array<QToolButton*, Count> buttons_{};
};

}  // namespace quorvel::app
