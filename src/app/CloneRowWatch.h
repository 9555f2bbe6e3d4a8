#pragma once
#include <exception>
#include <string>

#include "app/Frontend.h"
#include "engine/DataSet.h"

namespace quorvel::app {

// "Delete clone" follows the clone list's current row: the master's row,
// this site's own row and a retired clone are no clones to delete (the
// operation refuses them too).
class CloneRowWatch : public engine::DataSetListener {
public:
    CloneRowWatch(Frontend& window, engine::DataSet& list) : window_(window), list_(&list) {
        list.addListener(this);
        show();
    }
    ~CloneRowWatch() override {
        if (list_) list_->removeListener(this);
    }
    void dataSetOpened(engine::DataSet&) override { show(); }
    void dataSetClosed(engine::DataSet&) override { show(); }
    void rowsFetched(engine::DataSet&, int, int) override { show(); }
    void currentRowChanged(engine::DataSet&) override { show(); }
    void rowRemoved(engine::DataSet&, int) override { show(); }
    void dataSetDestroyed(engine::DataSet&) override { list_ = nullptr; }

private:
    void show() {
        bool deletable = false;
        try {
            if (list_ && list_->active() && !list_->isEmpty() && !list_->eof()) {
                const std::string me = list_->fieldByName("ME").asString();
                deletable = me != "Y" && me != "R" && list_->fieldByName("Name").asString() != "MASTER";
            }
        } catch (const std::exception&) {
        }
        window_.setEnabled(ctl::SBDelClone, deletable);
    }

    Frontend& window_;
    engine::DataSet* list_;
};

}  // namespace quorvel::app
