#pragma once
// Random inserts, updates and deletes on the replicated tables of the
// exchange template, as the convergence tests make them at every site, and
// what they wrote, for the checks after an exchange.
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace quorvel::test::exchange {

// Where a row of each table is found and which column a random update marks.
struct Shape {
    std::string table, key, marker;
};
const std::vector<Shape>& shapes();
const Shape& shapeOf(const std::string& table);
// The where clause of the row with `key` (as the shape's key selects it).
std::string where(const Shape& s, const std::string& key);

// The keys of every table's rows, by table.
using Keys = std::map<std::string, std::vector<std::string>>;
Keys keysAt(const std::string& alias);

// What random work wrote: per row ("TABLE:key") and site, the last marker an
// update set; every update in the order made; the rows some site deleted.
struct Written {
    struct Update {
        std::string row, site, marker;
    };
    std::map<std::string, std::map<std::string, std::string>> updates;
    std::vector<Update> sequence;
    std::set<std::string> gone;
};

// A site doing random work: its name in messages and the prefix of the TAG
// keys it makes (unique per site, so natural keys never collide).
struct Worker {
    std::string name, tagPrefix;
    int tags = 0;
};

// Appends 'ops' random statements for `worker`: inserts through the
// generators, updates and deletes of rows in `free` (the rows it may touch;
// `keys` are all the rows it holds). Customers are deleted only when made
// during the run (no order refers to them), orders with their lines.
void randomWork(std::mt19937_64& rnd, Worker& worker, const std::string& when, int ops, Keys free,
                const Keys& keys, std::vector<std::string>& work, Written& written);

}  // namespace quorvel::test::exchange
