#include "clone/CloneSql.h"

#include "replica/SqlText.h"

namespace quorvel::clone::sql {

using replica::quoted;

std::string insertClone(const std::string& name, int64_t number, const std::string& maxValue1,
                        const std::string& maxValue2) {
    return "insert into R$CLONE values (" + quoted(name) + ", " + std::to_string(number) + ", " +
           maxValue1 + ", " + maxValue2 + ", 'N')";
}

std::string retiredName(int64_t number, const std::string& name) {
    return ("~" + std::to_string(number) + " " + name).substr(0, 31);
}

std::string retireClone(const std::string& name, int64_t number) {
    return "update R$CLONE set Name = " + quoted(retiredName(number, name)) + ", ME = 'R' where Name = " +
           quoted(name);
}

std::string meOf(const std::string& name) { return "select ME from R$CLONE where Name = " + quoted(name); }

std::string markCopied(const std::string& name) {
    return "update R$CLONE set ME = 'C' where Name = " + quoted(name);
}

std::string previousBound(int64_t previousNumber) {
    return "select MaxValue1, MaxValue2 from R$Clone where Number = " + std::to_string(previousNumber);
}

std::string setGenerator(const std::string& generator, int64_t value) {
    return "set generator " + generator + " to " + std::to_string(value);
}

std::string cloneIsMe(const std::string& name) {
    return "update R$CLONE set ME = 'Y' where Name = " + quoted(name);
}

std::string countCloneRows(const std::string& name) {
    return "select count(*) from R$CLONE where Name = " + quoted(name);
}

std::string numberOf(const std::string& name) {
    return "select Number from R$CLONE where Name = " + quoted(name);
}

std::string insertMark(int64_t number, const std::string& date, int64_t code1, int64_t code2) {
    return "insert into R$SYNCHRO values(" + std::to_string(number) + "," + quoted(date) + ", " +
           std::to_string(code1) + ", " + std::to_string(code2) + ")";
}

std::string offsetOf(const std::string& generator) {
    return "select GenOffset from R$PKGENS where GeneratorName = " + quoted(generator);
}

}  // namespace quorvel::clone::sql
