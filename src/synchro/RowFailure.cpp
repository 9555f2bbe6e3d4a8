#include "synchro/RowFailure.h"

#include <regex>

#include "synchro/RecordTransfer.h"

namespace quorvel::synchro {

namespace {

bool isText(const engine::Field& f) {
    return f.type() == engine::FieldType::Char || f.type() == engine::FieldType::VarChar;
}

std::size_t characters(const std::string& s) {
    std::size_t n = 0;
    for (unsigned char c : s) n += (c & 0xC0) != 0x80;
    return n;
}

// The column the server names ("validation error for column "T"."C"", or
// a constraint's text), else the text column whose value is the length the
// server says it got ("expected length 20, actual 30"), else the first text
// value longer than its column.
std::string failingColumn(const std::string& serverText, const FieldPairs& pairs) {
    std::smatch m;
    if (std::regex_search(serverText, m, std::regex("column \"?[^\". ]*\"?\\.\"?([^\", ]+)\"?")))
        return m[1];
    const bool truncation = serverText.find("truncation") != std::string::npos;
    if (!truncation) return {};
    long expected = -1, actual = -1;
    if (std::regex_search(serverText, m, std::regex("expected length (\\d+), actual (\\d+)"))) {
        expected = std::stol(m[1]);
        actual = std::stol(m[2]);
    }
    for (const auto& [from, to] : pairs.pairs()) {
        if (!isText(*to) || from->isNull()) continue;
        const std::string v = from->asString();
        if (expected >= 0 && to->length() == expected &&
            (static_cast<long>(v.size()) == actual || static_cast<long>(characters(v)) == actual))
            return to->name();
    }
    for (const auto& [from, to] : pairs.pairs())
        if (isText(*to) && !from->isNull() && static_cast<int>(from->asString().size()) > to->length())
            return to->name();
    return {};
}

std::string keyOf(engine::DataSet& source, engine::Table& target) {
    std::string list;
    try {
        list = target.primaryKeyFields();
    } catch (const std::exception&) {
        // The row's record code names it as well.
    }
    if (list.empty()) list = "R$CODE1;R$CODE2";
    std::string out;
    for (const std::string& name : splitKeyList(list)) {
        const engine::Field* f = source.findField(name);
        out += (out.empty() ? "" : ", ") + name + " = " + (!f ? "?" : f->isNull() ? "<null>" : f->asString());
    }
    return out;
}

}  // namespace

std::string rowFailure(const std::string& serverText, engine::DataSet& source, engine::Table& target,
                       const FieldPairs& pairs) {
    const std::string column = failingColumn(serverText, pairs);
    return "The row of " + target.tableName() + " with the key " + keyOf(source, target) +
           (column.empty() ? "" : ", column " + column) + ", could not be written: " + serverText;
}

}  // namespace quorvel::synchro
