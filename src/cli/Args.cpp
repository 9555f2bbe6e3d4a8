#include "cli/Args.h"

#include <set>

namespace quorvel::cli {

namespace {
const std::set<std::string> kValueOptions = {"--local", "--clone", "--synchro", "--user", "--password", "--fetch-password", "--role",
                                             "--max1", "--max2", "--offset", "--like", "--dialect"};
}

Args parseArgs(const std::vector<std::string>& argv) {
    Args a;
    for (size_t i = 0; i < argv.size(); ++i) {
        const std::string& w = argv[i];
        if (w == "--yes" || w == "-y") {
            a.yes = true;
        } else if (w == "--switch-triggers") {
            a.values[w] = "yes";
        } else if (w == "--help" || w == "-h") {
            a.help = true;
        } else if (w.rfind("--", 0) == 0 && w.size() > 2) {
            std::string name = w, value;
            bool inlineValue = false;
            if (auto eq = w.find('='); eq != std::string::npos) {
                name = w.substr(0, eq);
                value = w.substr(eq + 1);
                inlineValue = true;
            }
            if (!kValueOptions.count(name)) throw UsageError{"unknown option " + name};
            if (!inlineValue) {
                if (i + 1 >= argv.size()) throw UsageError{"option " + name + " needs a value"};
                value = argv[++i];
            }
            a.values[name] = value;
        } else {
            a.words.push_back(w);
        }
    }
    return a;
}

std::string usageText() {
    return R"(Usage: quorvel-cli [options] COMMAND [ARGUMENTS]

Connections (the same checks as the connect buttons):
  --local ALIAS       connect the local master/clone database (UserDB)
  --clone ALIAS       connect a restored clone (CloneDB)
  --synchro ALIAS     connect a synchro database (SynchroDB)
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

Aliases and databases:
  aliases                               list alias names
  aliases show NAME                     show an alias's parameter lines
  aliases add NAME DATABASE [KEY=VALUE ...]
                                        add or replace an alias
  aliases remove NAME                   remove an alias
  create-database PATH [--dialect 1|3] [--like ALIAS]
                                        create an empty database of dialect 1 (or
                                        the dialect given); with --like, of the
                                        dialect and default character set of ALIAS's
                                        database (e.g. the master)
  status                                identity, preparation state and replication
                                        lists of the --local database, and which
                                        sites have read what

Master preparation (--local):
  create-meta [--max1 TEXT] [--max2 TEXT]   create the replication objects
  erase-meta                                remove every replication object
  add-table NAME | remove-table NAME        working-table list
  select-all-tables | remove-all-tables
  add-gen NAME [--offset TEXT] | remove-gen NAME
                                            primary-key generator list
  recreate-triggers                         number every row, arm the triggers
  renew-triggers                            replace the triggers of an armed database
                                            (master or clone) by this version's, which
                                            let other users work during a read
  accept-restore                            take a database restored from a backup as
                                            its site's own again, when nothing was done
                                            in it between the backup and the restore
  triggers-inactive | triggers-active       switch the working tables' triggers
  grant-operator ROLE [USER...]             grant ROLE (made if missing) what fill and
                                            read need, for an operator who is not the
                                            owner, and ROLE to the USERs

Cloning (--local the master):
  new-clone NAME --max1 TEXT --max2 TEXT    register a clone
  delete-clone NAME                         remove a clone from the registry
  update-clone NAME                         turn the --clone database into clone NAME
  make-clone NAME --max1 TEXT --max2 TEXT TARGET
                                            all of it at once: register clone NAME,
                                            back the master up with gbak, restore it
                                            at TARGET (a new database: a path or
                                            host:path) and update it as clone NAME
  re-register NAME --max1 TEXT --max2 TEXT TARGET
                                            the --clone database is clone NAME's file
                                            restored from a backup: the master takes
                                            what only that file holds, retires NAME's
                                            number, and makes NAME again at TARGET
                                            (also every clone after re-register-master)
  re-register-master                        the --local master is restored from a
                                            backup: its rows become those of the
                                            --clone database, the clone that read its
                                            newest fill; then re-register every clone

Exchange (--local the local database, --synchro the synchro database):
  fill                        write the local changes into the synchro database
  read [--switch-triggers]    apply a received synchro database, whole or not at
                              all, while other users keep working; triggers of an
                              earlier version must be inactive: --switch-triggers
                              switches every trigger of the working tables off and
                              on around it (with today's triggers, only while your
                              own triggers on the working tables are active)
  history                     the synchronization history (--local only)
  delete-history NUMBER       delete the newest history row, never the site's
                              first mark; the next fill sends again what that
                              fill sent (--local only)
  success                     remove from the local journal what every site has
                              read; names the sites that have not read the last
                              fill (--local only)
  forget-peer-fill PEER NUMBER  go back to NUMBER as the last fill read from
                              PEER (MASTER or a clone), so that its fills above
                              it are read again, e.g. after a file whose fill
                              number was raised by hand (--local only)
  Settling a collision (recorded here; the synchro database is never edited):
  delete-synchro-row TABLE KEY...    do not take the sent row: without a local
                                     row of that key it is deleted everywhere;
                                     with one, the local values stay
  copy-from-synchro TABLE KEY...     take the sent row over the local row with
                                     that key
  drop-delete-entry TABLE CODE1 CODE2  keep the row against the sender's "D"
                                     entry; it goes back to the other sites

Synchro database definition (--local the master):
  convert-ddl SOURCE TARGET   convert an isql-fb -x extract into the synchro
                              definition script and rewrite the table order

Exit status:
  0  the operation was done
  1  it was refused (e.g. "Invalid number", "List is empty!"), cancelled (a
     confirmation answered No, or no terminal and no --yes) or failed; what
     happened is written on standard error
  2  wrong usage: unknown command or option, wrong arguments, or a command
     run without the --local / --clone it needs
)";
}

}  // namespace quorvel::cli
