#include "ddl/TableOrder.h"

#include <algorithm>
#include <functional>
#include <unordered_map>

namespace quorvel::ddl {

namespace {

std::string upper(std::string_view name) {
    std::string u(name);
    for (char& c : u)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    return u;
}

struct Edge {
    int child;
    int parent;
};

// Tables that lie on a cycle of references: members of a strongly connected
// component with more than one table (Tarjan's algorithm, iterative enough
// for the few thousand tables a database has).
std::vector<bool> onCycle(int n, const std::vector<Edge>& edges) {
    std::vector<std::vector<int>> out(n);
    for (const Edge& e : edges)
        if (e.child != e.parent) out[e.child].push_back(e.parent);

    std::vector<int> index(n, -1), low(n, 0), stack;
    std::vector<bool> inStack(n, false), result(n, false);
    int counter = 0;
    std::function<void(int)> visit = [&](int v) {
        index[v] = low[v] = counter++;
        stack.push_back(v);
        inStack[v] = true;
        for (int w : out[v]) {
            if (index[w] < 0) {
                visit(w);
                low[v] = std::min(low[v], low[w]);
            } else if (inStack[w]) {
                low[v] = std::min(low[v], index[w]);
            }
        }
        if (low[v] == index[v]) {
            std::vector<int> component;
            int w;
            do {
                w = stack.back();
                stack.pop_back();
                inStack[w] = false;
                component.push_back(w);
            } while (w != v);
            if (component.size() > 1)
                for (int c : component) result[c] = true;
        }
    };
    for (int v = 0; v < n; ++v)
        if (index[v] < 0) visit(v);
    return result;
}

}  // namespace

TableOrder OrderTables(const std::vector<std::string>& tables, const std::vector<TRefPair>& pairs) {
    const int n = static_cast<int>(tables.size());

    // Tables are entries 0..n-1 of the list as given; `order` holds them in
    // their current order and `position` the place of each, so a lookup by
    // name costs no scan of the list.
    std::unordered_map<std::string, int> byName;
    for (int i = 0; i < n; ++i) byName.emplace(upper(tables[i]), i);  // the first of equal names wins
    std::vector<Edge> edges;
    for (const TRefPair& p : pairs) {
        auto c = byName.find(upper(p.ChildTable));
        auto q = byName.find(upper(p.ParentTable));
        if (c != byName.end() && q != byName.end()) edges.push_back({c->second, q->second});
    }

    std::vector<int> order(n), position(n);
    for (int i = 0; i < n; ++i) order[i] = position[i] = i;

    bool moved = true;
    for (int pass = 0; moved && pass < n; ++pass) {
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
    return "These tables reference each other in a cycle, so no order puts every referenced table first: " +
           names + ". The order reached has been written.";
}

}  // namespace quorvel::ddl
