#pragma once
// The replication tables and R$Trig made by hand, beside one user table
// ITEMS: a database the connection tests see as prepared, without arming.
namespace quorvel::test {

inline const char* const kReplicationTables =
    "CREATE TABLE R$CLONE (NAME CHAR(31) NOT NULL PRIMARY KEY, NUMBER INTEGER,"
    " MAXVALUE1 INTEGER, MAXVALUE2 INTEGER, ME CHAR(1));\n"
    "CREATE TABLE R$TABLEORDER (NUMBER INTEGER NOT NULL PRIMARY KEY, TABLENAME CHAR(31));\n"
    "CREATE TABLE R$WORKINGTABLES (NAME CHAR(31) NOT NULL PRIMARY KEY);\n"
    "CREATE TABLE R$PKGENS (GENERATORNAME CHAR(31) NOT NULL PRIMARY KEY, GENOFFSET INTEGER);\n"
    "create table R$SYNCHRO (SYNCHRONUMBER INTEGER NOT NULL PRIMARY KEY, SYNCHRODATE DATE,"
    " R$CODE1 INTEGER, R$CODE2 INTEGER);\n"
    "create generator R$Trig;\n"
    "CREATE TABLE ITEMS (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(20));\n"
    "COMMIT;\n";

}  // namespace quorvel::test
