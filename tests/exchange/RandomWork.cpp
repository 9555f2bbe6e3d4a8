#include "RandomWork.h"

#include <algorithm>
#include <stdexcept>

#include "ExchangeSites.h"

namespace quorvel::test::exchange {

const std::vector<Shape>& shapes() {
    static const std::vector<Shape> s = {{"CUSTOMER", "ID", "CITY"},
                                         {"ORDERS", "ID", "NOTE"},
                                         {"ORDER_LINE", "ORDER_ID || ',' || LINE_NO", "QTY"},
                                         {"TAG", "CODE", "LABEL"},
                                         {"BULK", "ID", "TXT"}};
    return s;
}

const Shape& shapeOf(const std::string& table) {
    for (const Shape& s : shapes())
        if (s.table == table) return s;
    throw std::runtime_error("no table " + table);
}

std::string where(const Shape& s, const std::string& key) {
    if (s.table == "ORDER_LINE") {
        const auto comma = key.find(',');
        return "ORDER_ID = " + key.substr(0, comma) + " and LINE_NO = " + key.substr(comma + 1);
    }
    return s.key + (s.table == "TAG" ? " = '" + key + "'" : " = " + key);
}

Keys keysAt(const std::string& alias) {
    Keys keys;
    for (const Shape& s : shapes()) keys[s.table] = column(alias, "select " + s.key + " from " + s.table);
    return keys;
}

void randomWork(std::mt19937_64& rnd, Worker& worker, const std::string& when, int ops, Keys free,
                const Keys& keys, std::vector<std::string>& work, Written& written) {
    auto drop = [&](const std::string& table, const std::string& key) {
        auto& v = free[table];
        v.erase(std::remove(v.begin(), v.end(), key), v.end());
    };
    auto pick = [&](const std::string& table) {
        auto& v = free[table];
        return v[std::uniform_int_distribution<std::size_t>(0, v.size() - 1)(rnd)];
    };
    auto value = [&] { return std::to_string(std::uniform_int_distribution<int>(1, 999999)(rnd)); };
    const std::vector<Shape>& all = shapes();
    for (int i = 0; i < ops; ++i) {
        const double op = std::uniform_real_distribution<double>(0, 1)(rnd);
        const Shape& s = all[std::uniform_int_distribution<std::size_t>(0, all.size() - 1)(rnd)];
        const std::string v = value();
        if (op < .45 || free[s.table].size() < 5) {
            if (s.table == "CUSTOMER")
                work.push_back("insert into CUSTOMER (ID, NAME, CITY, SCORE, NOTE, CREATED) values (gen_id(GEN_CUSTOMER, 1), 'new " + v + "', 'i" + v +
                               "', " + v + " / 100.0, 'made by the " + worker.name + " " + when + "', '2026-12-07')");
            else if (s.table == "TAG")
                work.push_back("insert into TAG (CODE, LABEL) values ('" + worker.tagPrefix +
                               std::to_string(++worker.tags) + "', 'i" + v + "')");
            else if (s.table == "BULK")
                work.push_back("insert into BULK (ID, TXT, N) values (gen_id(GEN_BULK, 1), 'i" + v + "', " + v + ")");
            else {
                // A new order of a customer that nobody deletes, with its lines.
                const std::string customer = std::to_string(1 + std::stoi(v) % 40);
                work.push_back("insert into ORDERS (ID, CUSTOMER_ID, AMOUNT, NOTE) values (gen_id(GEN_ORDERS, 1), " + customer + ", " + v +
                               " / 10.0, 'i" + v + "')");
                for (int line = 1; line <= 1 + std::stoi(v) % 3; ++line)
                    work.push_back("insert into ORDER_LINE (ORDER_ID, LINE_NO, QTY) values (gen_id(GEN_ORDERS, 0), " +
                                   std::to_string(line) + ", " + std::to_string(line * 10) + ")");
            }
        } else if (op < .85) {
            const std::string key = pick(s.table);
            const std::string marker = s.table == "ORDER_LINE" ? v : "u" + v;
            std::string set = s.marker + " = " + (s.table == "ORDER_LINE" ? v : "'" + marker + "'");
            if (s.table == "CUSTOMER") set += ", NOTE = 'note " + marker + " by the " + worker.name + "'";
            work.push_back("update " + s.table + " set " + set + " where " + where(s, key));
            written.updates[s.table + ":" + key][worker.name] = marker;
            written.sequence.push_back({s.table + ":" + key, worker.name, marker});
        } else {
            if (s.table == "CUSTOMER") {
                // Only customers without orders: those made during the run.
                std::vector<std::string>& v = free["CUSTOMER"];
                auto it = std::find_if(v.begin(), v.end(), [](const std::string& id) { return std::stoi(id) > 40; });
                if (it == v.end()) continue;
                const std::string id = *it;
                work.push_back("delete from CUSTOMER where ID = " + id);
                written.gone.insert("CUSTOMER:" + id);
                drop("CUSTOMER", id);
                continue;
            }
            const std::string key = pick(s.table);
            if (s.table == "ORDERS") {
                work.push_back("delete from ORDER_LINE where ORDER_ID = " + key);
                for (const std::string& line : keys.at("ORDER_LINE"))
                    if (line.rfind(key + ",", 0) == 0) {
                        written.gone.insert("ORDER_LINE:" + line);
                        drop("ORDER_LINE", line);
                    }
            }
            work.push_back("delete from " + s.table + " where " + where(s, key));
            written.gone.insert(s.table + ":" + key);
            drop(s.table, key);
        }
    }
}

}  // namespace quorvel::test::exchange
