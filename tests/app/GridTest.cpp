// Grids over real result sets: rows shown as they are fetched, selection and
// current row kept together, editing through the collision grids.
#include <gtest/gtest.h>

#include <QHeaderView>
#include <QToolButton>

#include "QtTestSupport.h"
#include "support/Workspace.h"
#include "app/DataGrid.h"
#include "app/DataNavigator.h"
#include "engine/Database.h"
#include "engine/Query.h"

namespace quorvel::test {
namespace {

// Three user tables and one with enough rows to need fetching as it scrolls.
const char* kSchema = R"(
create table CUSTOMER (ID integer not null primary key, NAME varchar(40));
create table ORDERS (ID integer not null primary key, CUST integer);
create table ITEMS (ID integer not null primary key, TITLE varchar(20));
commit;
set term ^ ;
execute block as declare i integer = 1; begin
  while (i <= 300) do begin
    insert into ITEMS values (:i, 'item ' || :i);
    i = i + 1;
  end
end^
set term ; ^
insert into CUSTOMER values (1, 'Ann');
insert into CUSTOMER values (2, 'Bob');
commit;
)";

class Grids : public ::testing::Test, protected WithQtApp {
protected:
    Grids() {
        ws.createDatabase("MASTER", kSchema);
        Workspace::connect(dm.UserDB(), "MASTER");
    }
    ~Grids() override { dm.UserDB().disconnect(); }

    Workspace ws;
    DM dm;
    ScriptedBrowser w{dm};

    static QString cell(app::DataGrid* g, int row, int column) {
        return g->model()->index(row, column).data().toString();
    }
    static void fetchAll(app::DataGrid* g) {
        while (g->model()->canFetchMore({})) g->model()->fetchMore({});
    }
};

TEST_F(Grids, TableListShowsTheDatabasesTablesWithTheirTitles) {
    auto* g = w.grid("DBGTables");
    EXPECT_EQ(g->model()->rowCount(), 0);
    dm.QTables.open();
    fetchAll(g);
    ASSERT_EQ(g->model()->rowCount(), 3);
    EXPECT_EQ(cell(g, 0, 0), "CUSTOMER");
    EXPECT_EQ(cell(g, 1, 0), "ITEMS");
    EXPECT_EQ(cell(g, 2, 0), "ORDERS");
    EXPECT_EQ(g->model()->headerData(0, Qt::Horizontal).toString(), "Table Name");
    dm.QTables.close();
    EXPECT_EQ(g->model()->rowCount(), 0);
}

TEST_F(Grids, RowsArriveAsTheGridScrollsAndSelectionMovesTheCurrentRow) {
    dm.QTableOrder.setSql("select ID, TITLE from ITEMS order by ID");
    auto* g = w.grid("DBGReadProcess");
    dm.QTableOrder.open();
    // Not the whole result at once.
    EXPECT_LT(g->model()->rowCount(), 300);
    EXPECT_TRUE(g->model()->canFetchMore({}));
    fetchAll(g);
    ASSERT_EQ(g->model()->rowCount(), 300);
    EXPECT_EQ(cell(g, 299, 1), "item 300");

    // The operator picks a row: operations then act on it.
    g->selectRow(41);
    EXPECT_EQ(dm.QTableOrder.currentRow(), 41);
    EXPECT_EQ(dm.QTableOrder.fieldByName("ID").asInteger(), 42);

    // The data set moves on its own: both grids over it follow.
    dm.QTableOrder.first();
    QApplication::processEvents();
    EXPECT_EQ(g->currentIndex().row(), 0);
    EXPECT_EQ(w.grid("DBGFillProcess")->currentIndex().row(), 0);
    EXPECT_TRUE(w.grid("DBGFillProcess")->horizontalHeader()->isHidden());
}

TEST_F(Grids, AReopenedListShowsItsCurrentRowOnceTheHoldIsReleased) {
    dm.QTableOrder.setSql("select ID, TITLE from ITEMS where ID <= 20 order by ID");
    auto* g = w.grid("DBGReadProcess");
    dm.QTableOrder.disableControls();
    dm.QTableOrder.open();
    dm.QTableOrder.last();
    dm.QTableOrder.enableControls();
    QApplication::processEvents();
    EXPECT_EQ(g->model()->rowCount(), 20);
    EXPECT_EQ(g->currentIndex().row(), 19);
}

TEST_F(Grids, CollisionGridEditsAndPostsTheLocalTable) {
    dm.TMaster.setTableName("CUSTOMER");
    dm.TMaster.open();
    auto* g = w.grid("DBGCollisionMaster");
    fetchAll(g);
    ASSERT_EQ(g->model()->rowCount(), 2);
    auto* nav = w.findChild<app::DataNavigator*>("DBNCollisionMaster");
    ASSERT_NE(nav, nullptr);
    EXPECT_FALSE(nav->button(app::DataNavigator::Post)->isEnabled());

    const QModelIndex name = g->model()->index(1, 1);
    ASSERT_TRUE(g->model()->flags(name) & Qt::ItemIsEditable);
    ASSERT_TRUE(g->model()->setData(name, "Robert"));
    EXPECT_EQ(cell(g, 1, 1), "Robert");
    EXPECT_TRUE(nav->button(app::DataNavigator::Post)->isEnabled());
    nav->press(app::DataNavigator::Post);
    EXPECT_TRUE(w.messages.empty()) << w.messages.front();
    dm.TMaster.close();
    {
        // Seen from another connection: the post was committed.
        engine::Database other("Check");
        Workspace::connect(other, "MASTER");
        engine::Query q(other);
        q.setSql("select NAME from CUSTOMER where ID = 2");
        q.open();
        EXPECT_EQ(q.field(0).asString(), "Robert");
        q.close();
        other.disconnect();
    }

    // A new record appears as an extra row while it is being inserted.
    dm.TMaster.open();
    fetchAll(g);
    nav->press(app::DataNavigator::Insert);
    ASSERT_EQ(g->dataModel().insertRow(), 2);
    EXPECT_EQ(g->model()->rowCount(), 3);
    ASSERT_TRUE(g->model()->setData(g->model()->index(2, 0), "3"));
    ASSERT_TRUE(g->model()->setData(g->model()->index(2, 1), "Cyd"));
    EXPECT_EQ(cell(g, 2, 1), "Cyd");
    nav->press(app::DataNavigator::Post);
    EXPECT_TRUE(w.messages.empty()) << w.messages.front();
    EXPECT_EQ(g->dataModel().insertRow(), -1);
    fetchAll(g);
    EXPECT_EQ(g->model()->rowCount(), 3);
    // Cancel drops a started insert without a trace.
    nav->press(app::DataNavigator::Insert);
    nav->press(app::DataNavigator::Cancel);
    EXPECT_EQ(g->model()->rowCount(), 3);
    dm.TMaster.close();

    // Delete asks first; No keeps the row.
    dm.TMaster.open();
    fetchAll(g);
    g->selectRow(0);
    w.answers = {false};
    nav->press(app::DataNavigator::Delete);
    // The question names the row it deletes.
    EXPECT_EQ(w.questions.back(), "Delete the row (ID = 1, NAME = Ann) from the Master/Clone database?\n\nDelete record?");
    fetchAll(g);
    EXPECT_EQ(g->model()->rowCount(), 3);
    w.answers = {true};
    nav->press(app::DataNavigator::Delete);
    fetchAll(g);
    EXPECT_EQ(g->model()->rowCount(), 2);
    EXPECT_EQ(dm.Q6Integer("select count(*) from CUSTOMER where ID = 1"), 0);
}

TEST_F(Grids, AnEscapedErrorRollsBackWhatTheOperationLeftOpen) {
    w.runOperation([](DM& dm, Frontend& ui) {
        ui.setWorking();
        dm.UserDB().startTransaction();
        dm.Q6Exec("insert into CUSTOMER values (3, 'Cyd')");
        dm.Q6Exec("insert into CUSTOMER values (3, 'Cyd again')");  // duplicate key
        ui.setOK();
    });
    EXPECT_FALSE(dm.UserDB().inTransaction());
    EXPECT_TRUE(w.workAreaEnabled());
    ASSERT_EQ(w.messages.size(), 1u);
    EXPECT_NE(w.messages[0].find("PRIMARY"), std::string::npos) << w.messages[0];
    EXPECT_EQ(dm.Q6Integer("select count(*) from CUSTOMER"), 2);
}

}  // namespace
}  // namespace quorvel::test
