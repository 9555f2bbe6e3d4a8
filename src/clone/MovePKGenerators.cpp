#include "clone/MovePKGenerators.h"

#include <exception>
#include <string>
#include <vector>

#include "clone/CloneRange.h"
#include "clone/CloneSql.h"
#include "db/CatalogSql.h"
#include "engine/FirstValue.h"
#include "engine/Query.h"
#include "engine/Transaction.h"
#include "replica/Catalogue.h"

namespace quorvel::clone {

namespace {

std::string dropMoveProcedure() { return "drop procedure " + replica::catalogue::kGeneratorMoveProcedure; }

// An interrupted earlier run can leave R$Update behind. Creating ours would
// then fail, and running the old one would move a generator by the wrong
// amount, so it goes first.
void dropLeftoverUpdate(engine::Database& clone) {
    engine::Transaction tx(clone);
    if (engine::firstInteger(clone, sql::kCountUpdateProcedures).value_or(0) > 0) clone.execute(dropMoveProcedure());
    tx.commit();
}

std::vector<std::string> listedGenerators(engine::Database& master) {
    std::vector<std::string> names;
    engine::Query q(master);
    q.setSql(catalog::kPKGens);
    q.open();
    for (q.first(); !q.eof(); q.next()) names.push_back(q.fieldByName("GeneratorName").asString());
    return names;
}

std::string notMoved(const std::string& generator, const std::string& why) {
    return why + "\nGenerator " + generator + " was not moved.";
}

// Moves one generator; false (after reporting) when any part of it failed.
bool moveGenerator(engine::Database& master, engine::Database& clone, const std::string& generator,
                   int64_t cloneNumber, Reporter& reporter) {
    int64_t offset = 0;
    try {
        offset = engine::firstInteger(master, sql::offsetOf(generator)).value_or(0);
    } catch (const std::exception& e) {
        reporter.error(notMoved(generator, e.what()));
        return false;
    }
    const int dialect = clone.sqlDialect();
    auto increment = generatorIncrement(offset, cloneNumber, dialect);
    if (!increment) {
        reporter.error("The increment " + std::to_string(offset) + " x " + std::to_string(cloneNumber) +
                       " of generator " + generator + " does not fit a " + (dialect >= 3 ? "64" : "32") +
                       "-bit integer.\nGenerator " + generator + " was not moved.");
        return false;
    }

    try {
        engine::Transaction tx(clone);
        engine::Query create(clone);
        for (const auto& line :
             replica::catalogue::generatorMoveProcedure(clone.identifier(generator), *increment, dialect))
            create.addSql(line);
        create.execSql();
        tx.commit();
    } catch (const std::exception& e) {
        // Without our procedure nothing may run: a procedure of that name
        // that is still there is not ours.
        reporter.error(notMoved(generator, e.what()));
        return false;
    }

    bool clean = true;
    try {
        // Fetching the procedure's one row is what advances the generator.
        engine::Transaction tx(clone);
        engine::firstInteger(clone, sql::kRunUpdate);
        tx.commit();
    } catch (const std::exception& e) {
        reporter.error(notMoved(generator, e.what()));
        clean = false;
    }
    try {
        engine::Transaction tx(clone);
        clone.execute(dropMoveProcedure());
        tx.commit();
    } catch (const std::exception& e) {
        reporter.error(e.what());
        clean = false;
    }
    return clean;
}

}  // namespace

bool MovePKGenerators(engine::Database& master, engine::Database& clone, int64_t cloneNumber,
                      Reporter& reporter) {
    bool clean = true;
    try {
        dropLeftoverUpdate(clone);
    } catch (const std::exception& e) {
        // Every create below will fail on the leftover and be reported.
        reporter.error(e.what());
        clean = false;
    }
    std::vector<std::string> generators;
    try {
        generators = listedGenerators(master);
    } catch (const std::exception& e) {
        // Reading the list itself failed: there is nothing to walk.
        reporter.error(e.what());
        return false;
    }
    for (const std::string& generator : generators) {
        reporter.breathe();
        if (!moveGenerator(master, clone, generator, cloneNumber, reporter)) clean = false;
    }
    return clean;
}

}  // namespace quorvel::clone
