#include "ddl/TableOrder.h"

#include <algorithm>
#include <unordered_map>

namespace quorvel::ddl {

namespace {

struct Edge {
    int child;
    int parent;
};

// Tables that lie on a cycle of references: members of a strongly connected
// component with more than one table (Tarjan's algorithm, with a stack of
// its own so that a long chain of references cannot exhaust the call stack).
std::vector<bool> onCycle(int n, const std::vector<Edge>& edges) {
    std::vector<std::vector<int>> out(n);
    for (const Edge& e : edges)
        if (e.child != e.parent) out[e.child].push_back(e.parent);

    std::vector<int> index(n, -1), low(n, 0), component;
    std::vector<bool> inComponentStack(n, false), result(n, false);
    struct Frame {
        int v;
        size_t next;  // the next of out[v] to look at
    };
    std::vector<Frame> calls;
    int counter = 0;
    for (int root = 0; root < n; ++root) {
        if (index[root] >= 0) continue;
        calls.push_back({root, 0});
        index[root] = low[root] = counter++;
        component.push_back(root);
        inComponentStack[root] = true;
        while (!calls.empty()) {
            Frame& f = calls.back();
            int v = f.v;
            if (f.next < out[v].size()) {
                int w = out[v][f.next++];
                if (index[w] < 0) {
                    index[w] = low[w] = counter++;
                    component.push_back(w);
                    inComponentStack[w] = true;
                    calls.push_back({w, 0});
                } else if (inComponentStack[w]) {
                    low[v] = std::min(low[v], index[w]);
                }
                continue;
            }
            calls.pop_back();
            if (!calls.empty()) low[calls.back().v] = std::min(low[calls.back().v], low[v]);
            if (low[v] != index[v]) continue;
            size_t first = component.size();
            while (component[first - 1] != v) --first;
            --first;
            bool cyclic = component.size() - first > 1;
            for (size_t i = first; i < component.size(); ++i) {
                inComponentStack[component[i]] = false;
                result[component[i]] = cyclic;
            }
            component.resize(first);
        }
    }
    return result;
}

}  // namespace

TableOrder OrderTables(const std::vector<std::string>& tables, const std::vector<TRefPair>& pairs) {
    const int n = static_cast<int>(tables.size());

    // Tables are entries 0..n-1 of the list as given; `order` holds them in
    // their current order and `position` the place of each, so a lookup by
    // name costs no scan of the list.
    std::unordered_map<std::string, int> byName;
    for (int i = 0; i < n; ++i) byName.emplace(tables[i], i);  // the first of equal names wins
    std::vector<Edge> edges;
    for (const TRefPair& p : pairs) {
        auto c = byName.find(p.ChildTable);
        auto q = byName.find(p.ParentTable);
        if (c != byName.end() && q != byName.end()) edges.push_back({c->second, q->second});
    }

    std::vector<int> order(n), position(n);
    for (int i = 0; i < n; ++i) order[i] = position[i] = i;

    // Only the tables that pairs name ever move relative to each other, and
    // acyclic references settle within as many passes as there are of them.
    std::vector<bool> named(n, false);
    int namedCount = 0;
    for (const Edge& e : edges)
        for (int id : {e.child, e.parent})
            if (e.child != e.parent && !named[id]) {
                named[id] = true;
                ++namedCount;
            }
    const int maxPasses = std::min(n, namedCount + 1);

    bool moved = true;
    for (int pass = 0; moved && pass < maxPasses; ++pass) {
        moved = false;
        for (const Edge& e : edges) {
            int p = position[e.child];
            int q = position[e.parent];
            if (q <= p) continue;
            // The referenced table goes directly before the referencing one;
            // the entries from p to q-1 move down by one.
            std::rotate(order.begin() + p, order.begin() + q, order.begin() + q + 1);
            for (int i = p; i <= q; ++i) position[order[i]] = i;
            moved = true;
        }
    }

    TableOrder result;
    result.tables.reserve(n);
    for (int id : order) result.tables.push_back(tables[id]);
    if (moved) {
        std::vector<bool> cyclic = onCycle(n, edges);
        for (int i = 0; i < n; ++i)
            if (cyclic[i]) result.cycleTables.push_back(tables[i]);
    }
    return result;
}

std::string CycleMessage(const std::vector<std::string>& cycleTables) {
    std::string names;
    for (const std::string& t : cycleTables) names += (names.empty() ? "" : ", ") + t;
    return "Warning: the tables " + names +
           " reference each other in a cycle, so no order puts every referenced table first. "
           "The script and the order reached have been written; a synchro read can still fail on "
           "their foreign keys when a new row references a new row of a table that comes later in "
           "that order.";
}

}  // namespace quorvel::ddl
