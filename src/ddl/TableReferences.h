#pragma once
// The foreign-key references of an extract: which table refers to which.
#include <string>
#include <vector>

#include "ddl/MStream.h"

namespace quorvel::ddl {

struct TRefPair {
    // Both as NormalName spells them, so they compare exactly with the
    // catalogue's names.
    std::string ChildTable;   // the referencing table, named after ALTER TABLE
    std::string ParentTable;  // the referenced table, named after REFERENCES
};

// Every "ALTER TABLE child ... REFERENCES parent" statement of the text, in
// the order found. A statement runs to its ";" (or to the
// next ALTER or CREATE); a table that references itself gives no pair.
// The whole text is read: the server's extract puts a COMMIT between the
// tables and their foreign keys whenever the database has procedures.
std::vector<TRefPair> FindReferences(const TMyStream& source);

}  // namespace quorvel::ddl
