#include "cli/Help.h"

#include <sstream>
#include <vector>

namespace quorvel::cli {

namespace {

struct Entry {
    const char* name;      // the command word
    const char* synopsis;  // its arguments and options, after the name
    const char* text;      // what it does, one paragraph
};

struct Section {
    const char* title;
    std::vector<Entry> entries;
};

const std::vector<Section>& sections() {
    static const std::vector<Section> kSections = {
        {"Aliases and databases",
         {
             {"aliases", "[show NAME | add NAME DATABASE [KEY=VALUE ...] | remove NAME]",
              "Without arguments, list the alias names; show an alias's parameter lines (a password masked), add "
              "or replace an alias, or remove one."},
             {"create-database", "PATH [--dialect 1|3] [--like ALIAS]",
              "Create an empty database of dialect 1 (or the dialect given); with --like, of the dialect and "
              "default character set of ALIAS's database (e.g. the master)."},
             {"status", "--local ALIAS [--json]",
              "Identity, preparation state and replication lists of the local database, and which sites have "
              "read what."},
         }},
        {"Master preparation (--local ALIAS)",
         {
             {"create-meta", "[--max1 TEXT] [--max2 TEXT]", "Create the replication objects."},
             {"erase-meta", "", "Remove every replication object (asks first)."},
             {"add-table", "NAME", "Add a table to the working-table list."},
             {"remove-table", "NAME", "Remove a table from the working-table list."},
             {"select-all-tables", "", "Make every table with a primary key a working table."},
             {"remove-all-tables", "", "Empty the working-table list."},
             {"add-gen", "NAME [--offset TEXT]", "Add a primary-key generator with its offset."},
             {"remove-gen", "NAME", "Remove a primary-key generator from the list."},
             {"recreate-triggers", "", "Number every row and arm the triggers of the working tables."},
             {"renew-triggers", "",
              "Replace the triggers of an armed database (master or clone) by this version's, which let other "
              "users work during a read."},
             {"guard-triggers", "",
              "Make your own triggers on the working tables (master or clone) skip the rows a read applies, so "
              "that a key or a stamp set at the site a row comes from stays; lists them and asks first."},
             {"unguard-triggers", "", "Remove what guard-triggers added."},
             {"accept-restore", "",
              "Take a database restored from a backup as its site's own again, when nothing was done in it "
              "between the backup and the restore."},
             {"triggers-inactive", "", "Switch every trigger of the working tables off."},
             {"triggers-active", "", "Switch the triggers of the working tables on again."},
             {"grant-operator", "ROLE [USER...]",
              "Grant ROLE (made if missing) what fill and read need, for an operator who is not the owner, and "
              "ROLE to the USERs."},
         }},
        {"Cloning (--local the master)",
         {
             {"new-clone", "NAME --max1 TEXT --max2 TEXT", "Register a clone."},
             {"delete-clone", "NAME", "Retire a clone: its number and range are never given out again."},
             {"update-clone", "NAME --clone ALIAS", "Turn the --clone database (a restored backup) into clone NAME."},
             {"make-clone", "NAME --max1 TEXT --max2 TEXT TARGET",
              "All of it at once: register clone NAME, back the master up with gbak, restore it at TARGET (a new "
              "database: a path or host:path) and update it as clone NAME."},
             {"re-register", "NAME --max1 TEXT --max2 TEXT TARGET --clone ALIAS",
              "The --clone database is clone NAME's file restored from a backup: the master takes what only that "
              "file holds, retires NAME's number, and makes NAME again at TARGET (also every clone after "
              "re-register-master)."},
             {"re-register-master", "--clone ALIAS",
              "The --local master is restored from a backup: its rows become those of the --clone database, the "
              "clone that read its newest fill; then re-register every clone."},
         }},
        {"Exchange (--local the local database, --synchro the synchro database)",
         {
             {"fill", "--synchro ALIAS [--json]", "Write the local changes into the synchro database."},
             {"read", "--synchro ALIAS [--switch-triggers] [--json]",
              "Apply a received synchro database, whole or not at all, while other users keep working. Triggers "
              "of an earlier version must be inactive: --switch-triggers switches every trigger of the working "
              "tables off and on around it (with today's triggers, only while your own triggers on the working "
              "tables are active)."},
             {"history", "[--json]", "The synchronization history."},
             {"sites", "[--json]",
              "Who has read what: per peer, the last of its fills read here and the last of this site's fills it "
              "has read."},
             {"log", "[--since WHEN] [--json]",
              "The exchange log: every fill, read, success, history deletion, settling and trigger switch here, "
              "with its time, the system and database users, the peer, the fill number, the counts and how it "
              "ended; from WHEN on (a date, or a date and time)."},
             {"log-keep", "DAYS | forever",
              "How long the exchange log keeps its entries (for ever unless set)."},
             {"delete-history", "NUMBER",
              "Delete the newest history row, never the site's first mark; the next fill sends again what that "
              "fill sent."},
             {"success", "",
              "Remove from the local journal what every site has read; names the sites that have not read the "
              "last fill."},
             {"forget-peer-fill", "PEER NUMBER",
              "Go back to NUMBER as the last fill read from PEER (MASTER or a clone), so that its fills above it "
              "are read again, e.g. after a file whose fill number was raised by hand."},
             {"delete-synchro-row", "TABLE KEY... --synchro ALIAS",
              "Settling a collision: do not take the sent row. Without a local row of that key it is deleted "
              "everywhere; with one, the local values stay. Recorded here; the synchro database is never edited."},
             {"copy-from-synchro", "TABLE KEY... --synchro ALIAS",
              "Settling a collision: take the sent row over the local row with that key."},
             {"drop-delete-entry", "TABLE CODE1 CODE2 --synchro ALIAS",
              "Settling a collision: keep the row against the sender's \"D\" entry; it goes back to the other "
              "sites."},
         }},
        {"Exchange by packages (--local the local database)",
         {
             {"send", "DIR [--json]",
              "Fill a synchro database made here from the local catalogue and pack it into DIR as one file "
              "sealed with the set's key (quorvel-SET-SITE-FILL.qvp)."},
             {"receive", "DIR [--json]",
              "Check every package in DIR, refuse by name what is changed, cut short or of another set, read the "
              "others in fill order and move each read one into DIR/read."},
             {"exchange", "[--inbox DIR --outbox DIR] [--json]",
              "receive from the inbox, then send into the outbox; a lock in each folder keeps a second run out "
              "(exit 5 then)."},
             {"key", "export FILE | import FILE",
              "Write the set's key into FILE (mode 0600, never over a file), or record the key FILE holds here, "
              "for a site that was not copied from the master after the key was made."},
         }},
        {"Synchro database definition (--local the master)",
         {
             {"convert-ddl", "SOURCE TARGET",
              "Convert an isql-fb -x extract into the synchro definition script and rewrite the table order. "
              "SOURCE - reads standard input, TARGET - writes standard output."},
         }},
    };
    return kSections;
}

const Entry* entryOf(const std::string& command) {
    for (const Section& s : sections())
        for (const Entry& e : s.entries)
            if (command == e.name) return &e;
    return nullptr;
}

// `text` in lines of at most `width` characters, each after `indent`.
std::string wrapped(const std::string& text, size_t indent, size_t width, bool indentFirst) {
    std::istringstream words(text);
    std::string out, line, word;
    bool first = true;
    auto flush = [&] {
        out += (first && !indentFirst ? "" : std::string(indent, ' ')) + line + "\n";
        first = false;
        line.clear();
    };
    while (words >> word) {
        if (!line.empty() && indent + line.size() + 1 + word.size() > width) flush();
        line += (line.empty() ? "" : " ") + word;
    }
    if (!line.empty() || first) flush();
    return out;
}

const char* const kOptions = R"(Options (anywhere on the line):
  --local ALIAS       the local master/clone database
  --clone ALIAS       a restored clone
  --synchro ALIAS     a synchro database
  --user NAME         user for every connection (default $ISC_USER, else SYSDBA)
  --password TEXT     password for every connection (default $ISC_PASSWORD, else
                      empty)
  --fetch-password FILE  read the password from the first line of FILE (- for
                      standard input, asked for without echo at a terminal),
                      kept out of the process list
  --role NAME         SQL role for every connection: an operator who is not
                      the owner fills and reads under a role granted the
                      R$ tables (see the README)
  --yes               answer Yes to every confirmation
  --json              status, history, sites, aliases, fill and read: one JSON
                      document on standard output
  --version           the version of quorvel-cli
  --help              this text; COMMAND --help: that command's
)";

}  // namespace

std::string exitStatusText() {
    return "Exit status:\n"
           "  0    done\n"
           "  1    failed: a database or file error; what happened on standard error\n"
           "  2    wrong usage\n"
           "  3    refused or cancelled (a confirmation answered No, or no terminal and\n"
           "       no --yes): nothing was changed\n"
           "  4    collision: the read stopped and applied nothing; settle it, read again\n"
           "  5    try again later: a row locked by another user, a database in use, a\n"
           "       lost connection; nothing was applied\n"
           "  130  interrupted by Ctrl+C; 143 terminated by kill\n";
}

std::string usageText() {
    std::string text = "Usage: quorvel-cli [options] COMMAND [ARGUMENTS]\n\n";
    text += kOptions;
    const size_t column = 40;
    for (const Section& s : sections()) {
        text += "\n" + std::string(s.title) + ":\n";
        for (const Entry& e : s.entries) {
            std::string head = "  " + std::string(e.name) + (*e.synopsis ? " " : "") + e.synopsis;
            if (head.size() + 2 > column) text += head + "\n" + wrapped(e.text, column, 80, true);
            else text += head + std::string(column - head.size(), ' ') + wrapped(e.text, column, 80, false);
        }
    }
    return text + "\n" + exitStatusText();
}

std::string commandSynopsis(const std::string& command) {
    const Entry* e = entryOf(command);
    if (!e) return "";
    return "quorvel-cli " + std::string(e->name) + (*e->synopsis ? " " : "") + e->synopsis;
}

std::string commandHelp(const std::string& command) {
    const Entry* e = entryOf(command);
    if (!e) return "";
    std::string section;
    for (const Section& s : sections())
        for (const Entry& x : s.entries)
            if (&x == e) section = s.title;
    return "Usage: " + commandSynopsis(command) + "\n\n" + wrapped(e->text, 2, 80, true) + "\n" + section +
           ".\nThe options of every command: quorvel-cli --help.\n\n" + exitStatusText();
}

}  // namespace quorvel::cli
