#pragma once
// Whether the rows of a table can move from one database into another
// without losing anything: every column of the receiving table has a column
// of the same name in the sending one (else it would stay empty, or be
// emptied), every column of the sending table has one in the receiving table
// (else its values would be dropped), and each receiving column holds every
// value of its sending column (no shorter text, no fewer decimals, no
// narrower number, no other kind of value).
//
// Character sets are not compared: text of one character set fits a column
// of another as long as its characters do, which only the rows can tell.
#include <string>
#include <vector>

#include "engine/Database.h"

namespace quorvel::synchro {

struct Side {
    engine::Database& db;
    std::string name;  // in messages: "this database", "the synchro database"
};

// Throws Refused naming the first table and column that do not fit, and
// both definitions of that column. Computed receiving columns are never
// written and are not compared.
void requireColumnsFit(const Side& from, const Side& to, const std::vector<std::string>& tables);

}  // namespace quorvel::synchro
