#include "ddl/ConvertAndOrder.h"

#include <utility>

#include "ddl/ExtractDialect.h"
#include "ddl/MakeTableOrder.h"
#include "ddl/MStream.h"
#include "ddl/SynchroDdl.h"
#include "ddl/TargetFile.h"
#include "ddl/WorkingTableNames.h"
#include "engine/DatabaseFacts.h"
#include "engine/FirstValue.h"

namespace quorvel::ddl {

namespace {

const char* const kNothingChanged = "Nothing was written and the table order is unchanged.";

std::string listed(const std::vector<std::string>& names) {
    // A long list would bury the point of the message.
    const size_t shown = 5;
    std::string text;
    for (size_t i = 0; i < names.size() && i < shown; ++i) text += (i ? ", " : "") + names[i];
    if (names.size() > shown) text += " and " + std::to_string(names.size() - shown) + " more";
    return text;
}

}  // namespace

TableOrder ConvertDdlAndOrder(engine::Database& master, const std::string& sourceFileName,
                              const std::string& targetFileName, DdlTexts texts) {
    TMyStream source;
    source.StartPos = 0;
    try {
        if (texts.sourceText) source.LoadFromString(*texts.sourceText);
        else source.LoadFromFile(sourceFileName);
        if (!texts.script) CheckTargetFile(targetFileName);
    } catch (const FileError& e) {
        throw ConversionRefused(e.what());
    }

    // Names, literals and types read differently in the other dialect: a
    // script made from such an extract would not describe the master's tables.
    const std::optional<int> extractDialect = ExtractDialect(source);
    const int masterDialect = engine::readDatabaseFacts(master).sqlDialect;
    if (extractDialect && *extractDialect != masterDialect)
        throw ConversionRefused("The file \"" + sourceFileName + "\" is an extract of a dialect " +
                                std::to_string(*extractDialect) + " database (SET SQL DIALECT " +
                                std::to_string(*extractDialect) + "), but the master is a dialect " +
                                std::to_string(masterDialect) +
                                " database. Extract the master's own metadata and convert that. " +
                                kNothingChanged);

    const WorkingTableNames working = WorkingTableNames::Read(master);
    if (working.empty())
        throw ConversionRefused("No working tables are chosen on this database, so the synchro definition "
                                "would hold none of them. Choose the working tables first. " +
                                std::string(kNothingChanged));
    int workingTablesFound = 0;
    // The extract does not carry it (see ConvertText); the master does.
    const std::string charset =
        engine::firstText(master, "select RDB$Character_Set_Name from RDB$Database").value_or("");
    std::string script = ConvertText(
        source,
        [&](std::string_view name) {
            bool isWorking = working.contains(name);
            workingTablesFound += isWorking;
            return isWorking;
        },
        charset);
    // An empty file, a failed extraction or another database's extract
    // would give a script of the two service tables alone, and an order of
    // nothing but alphabetical names.
    if (workingTablesFound == 0)
        throw ConversionRefused("The file \"" + sourceFileName + "\" defines none of the working tables (" +
                                listed(working.sorted()) +
                                "): it is not a metadata extract of this database, or the extraction failed. " +
                                kNothingChanged);

    if (texts.script) *texts.script = std::move(script);
    else WriteWholeFile(targetFileName, script);
    // The ordering reads the same text again with a lexer of its own.
    return MakeTableOrder(master, source);
}

}  // namespace quorvel::ddl
