#!/usr/bin/env python3
"""Model of the life of real sites around the exchange (exchange-sites-model.py, whose rules 1-7 it keeps):
clones deleted and made again, dead copies replaced, clones and the master restored from their own backups,
the master re-armed, fills of another replication set, and saves that change nothing.

Identity (each is needed unless marked; `python3 THIS --ablate` removes them one at a time):
 8. Incarnations: a clone number, and so its record-code range, is given once. Deleting retires it; making a
    clone again, replacing a copy and re-registering a restored database each take a new one. The master's
    counter never goes back: each master fill writes it, each clone keeps the highest seen, and a restored
    master raises its counter to the highest any clone reports. A read refuses a fill from a number it has not
    registered.
 9. Stamps: every database has a creation stamp that a restore renews (a copy gets its own). A site records
    its own stamp when it is registered, and the stamp of each peer's current incarnation. A fill writes the
    sender's number and stamp and, per peer, the number and stamp it was made for. A read refuses a fill whose
    sender stamp is not the one recorded for that number, or that was not made for its own current stamp.
10. Restore detection: a database whose stamp differs from its recorded one refuses fills, reads and work
    until it is registered again (a new incarnation, rule 8).
11. Generation: re-arming starts a new generation, written in every fill; a read refuses a fill of another
    generation; the remedy is making the clone again.
12. A fresh copy: the master closes a fill (its fill number goes up by one) just before the copy is taken,
    and the copy records that number as read from the master.
13. A restored clone, registered again: the master hands it L, the last fill it read from the old number, and
    owes it a full resend. The clone keeps only its journal entries first carried after fill L, and its rows
    of the old range above the mark of fill L as updates, all for its next fill; it drops the rest. A change
    relayed back with one of its former numbers as origin counts as its own. A backup of a retired number is
    not taken back: the clone is made again.
14. Full resend: while owed, the master's fills carry every row; the reader takes each as an update by record
    code, except rows with its own unsent entries, and deletes rows the master lacks, except its own unsent
    rows; it ends when the reader acknowledges a fill that carried it.
15. A restored master, registered again: each clone reports the last master fill it read. If one read a fill
    beyond the master's own fill count, or the backup is of a retired master incarnation, the master takes
    the state of the clone that read the newest fill, whole, journals that clone's unsent entries as relays
    of it, and counts from each clone only what that clone saw acknowledged. Fill numbers go on above every
    number a clone read; every clone gets a full resend; a clone the restored registry does not know is made
    again.
16. The master relays a delete even when it no longer holds the row.
17. A save that leaves a row as it was is not journaled.
Not needed: a replication-set id (rule 9 refuses another set's fills), a bound on fill numbers, an
administrator's reset of what a site recorded from a peer (registering again resets it).

Random schedules as in the exchange model, plus backups and the events above. Every 40 steps four full
rounds, then all sites must be equal, and an update written by one site only must stand, unless no database
holds it any more (lost with a database restored or replaced); unsent changes that a restored database sends
again count as made when it is registered again. The cases below are schedules too rare for random runs."""
import copy, random, sys

RULES = ('set', 'generation', 'incarnation', 'peerstamp', 'addressed', 'top', 'detect', 'block', 'relaygone',
         'full', 'former', 'copymark', 'noop', 'bound')
DEFAULT = dict({r: True for r in RULES}, clone_recovery='unsent', master_recovery='adopt')


class DB:
    """One database file: rows {code: [pk, value]}, journal {(code, op): {origin, first, seen}}, as in the
    exchange model, plus its identity: set id, generation, number (incarnation), creation stamp, recorded stamp."""
    def __init__(s, name, number, master):
        s.name, s.number, s.master = name, number, master
        s.rows, s.journal, s.gen, s.fillno = {}, {}, 0, 0
        s.last_read, s.acked, s.marks, s.pstamp = {}, {}, {}, {}   # pstamp: each peer's creation stamp
        s.setid = s.generation = s.stamp = s.recorded = s.mnum = None
        s.registry, s.top, s.owed, s.sends_full = {}, 0, {}, None   # registry, owed: master only
        s.former = set()                                            # numbers this database had before

    def mark(s, n): return s.marks.get(n, (s.number, 0))
    def code(s): s.gen += 1; return (s.number, s.gen)
    def note(s, code, op):
        s.journal[(code, op)] = dict(origin=None, first=s.fillno + 1, seen=None if s.master else s.last_read[s.mnum])


def fill(s):
    minack = min(s.acked.values(), default=s.fillno)
    s.journal = {k: e for k, e in s.journal.items() if e['first'] > minack}       # acknowledged by all: pruned
    mark = s.mark(minack)
    s.fillno += 1; s.marks[s.fillno] = (s.number, s.gen)
    if s.master:
        for p in s.owed: s.owed[p] = s.owed[p] or s.fillno
        full = set(s.owed)
    else:
        if s.sends_full == 'pending': s.sends_full = s.fillno
        full = {s.mnum} if s.sends_full else set()
    named = {c for (c, op) in s.journal if op == 'U'}
    rows = {c: list(r) for c, r in s.rows.items() if full or (c[0] == s.number and c > mark) or c in named}
    journal = {k: dict(e, origin=s.number if e['origin'] is None else e['origin']) for k, e in s.journal.items()}
    return dict(set=s.setid, gen=s.generation, sender=s.number, stamp=s.stamp, to=dict(s.pstamp),
                fillno=s.fillno, acks=dict(s.last_read), rows=rows, journal=journal, full=full, top=s.top)


def read(r, syn, R, drawn):
    if R['set'] and syn['set'] != r.setid: return 'foreign'
    if R['detect'] and r.stamp != r.recorded: return 'restored'
    if R['generation'] and syn['gen'] != r.generation: return 'generation'
    p = syn['sender']
    if p not in r.last_read: return 'unknown'                                    # retired or never registered
    if R['peerstamp'] and syn['stamp'] != r.pstamp[p]: return 'unknown'         # the same number, another file
    if R['addressed'] and syn['to'].get(r.number) != r.stamp: return 'not for me'  # made for another incarnation
    if R['bound'] and syn['fillno'] > drawn(p): return 'beyond'
    if syn['fillno'] <= r.last_read[p]: return 'old'
    sj, full = syn['journal'], r.number in syn['full']
    def own(code):
        e = r.journal.get((code, 'U')); return e if e and e['origin'] is None else None
    applied, deleted = [], []
    for code, row in sorted(syn['rows'].items()):
        if (code, 'D') in r.journal and code not in r.rows: continue              # deleted here stays deleted
        eu, mine = sj.get((code, 'U')), own(code)
        if eu is None and code in r.rows and not full: continue                  # an insert sent again
        if r.master:
            if mine and not (eu and eu['seen'] is not None and eu['seen'] >= mine['first']): continue
        elif mine:
            if eu is None or eu['origin'] in {r.number} | r.former or mine['seen'] >= eu['first']: continue
            del r.journal[(code, 'U')]                                            # concurrent: the master wins
        if r.rows.get(code) != row:
            r.rows[code] = list(row); applied.append(code)
    if full and not r.master:                      # a full resend: what the master lacks goes, unless not yet sent
        pend = r.mark(r.acked[p])
        for code in [c for c in r.rows if c not in syn['rows'] and not own(c)]:
            if not (code[0] == r.number and code > pend): del r.rows[code]
    for (code, op), e in sj.items():
        if op != 'D' or (not r.master and e['origin'] == r.number): continue
        if code in r.rows: del r.rows[code]; deleted.append(code)
        elif r.master and (code, 'D') not in r.journal and R['relaygone']: deleted.append(code)  # relayed anyway
    if r.master:                                                                  # relay what was applied
        for code in applied: r.journal[(code, 'U')] = dict(origin=p, first=r.fillno + 1, seen=None)
        for code in deleted: r.journal[(code, 'D')] = dict(origin=p, first=r.fillno + 1, seen=None)
    r.last_read[p] = syn['fillno']
    r.acked[p] = max(r.acked[p], syn['acks'].get(r.number, 0))
    if r.master and r.owed.get(p) and r.acked[p] >= r.owed[p]: del r.owed[p]
    if not r.master:
        r.top = max(r.top, syn['top'])
        if r.sends_full not in (None, 'pending') and r.acked[p] >= r.sends_full: r.sends_full = None
    return 'ok'


class World:
    EVENTS = ('restore clone', 'restore master', 'remake', 'replace', 'rearm', 'foreign')

    def __init__(w, seed, nclones, R, lose=0.15, late=0.1, rare=0.06):
        w.rnd, w.R, w.lose, w.late, w.rare = random.Random(seed), R, lose, late, rare
        w.stampno, w.pk, w.writes, w.inbox, w.backups, w.sites = 0, 0, {}, {}, {}, {}
        w.count = {e: 0 for e in w.EVENTS}
        m = w.sites['M'] = w.new_master('M')
        m.recorded, w.inbox['M'], w.backups['M'] = m.stamp, {}, []
        w.lineage = m.stamp                                   # the master incarnation the clones follow
        for k in range(1, nclones + 1): w.make_clone(f'c{k}')
        f = w.foreign = w.new_master('X')                     # another set: its own master, same numbering
        f.fillno = w.rnd.randrange(60)
        f.last_read = {k: 0 for k in range(1, nclones + 1)}; f.acked = dict(f.last_read)
        w.inbox['X'] = {}

    def stamp(w): w.stampno += 1; return w.stampno
    def newpk(w): w.pk += 1; return w.pk
    def new_master(w, name):
        m = DB(name, 0, True)
        m.setid, m.generation, m.stamp = w.rnd.getrandbits(32), 1, w.stamp()
        for _ in range(30): m.rows[m.code()] = [w.newpk(), 'r']
        m.marks[0] = (0, m.gen)
        return m
    def clones(w): return [s for s in w.sites.values() if not s.master]
    def drawn(w, p): return max((s.fillno for s in w.sites.values() if s.number == p), default=0)
    def new_number(w):
        m = w.sites['M']; m.top += 1; return m.top

    def forget_lost(w):
        """A write that no database holds any more was lost with the database destroyed or restored: legitimately."""
        held = {(r[0], r[1]) for s in w.sites.values() for r in s.rows.values()
                if not (s.master and s.recorded != w.lineage)}      # a backup of a retired master: nothing
        for pk, ws in list(w.writes.items()):
            w.writes[pk] = [(n, v) for n, v in ws if v is None or (pk, v) in held]
            if not w.writes[pk]: del w.writes[pk]

    def resurrect(w, s, entries):
        """Changes a restored database sends again that no peer holds count as made now (on a row that was
        deleted meanwhile, the delete wins)."""
        m = w.sites['M']
        for (code, op), e in entries.items():
            if op == 'U' and e['origin'] is None and code in s.rows and (code in m.rows or code[0] == s.number):
                w.writes.setdefault(s.rows[code][0], []).append((s.name, s.rows[code][1]))
            for t in w.sites.values():
                if op == 'D' and code in t.rows: w.writes.setdefault(t.rows[code][0], []).append((s.name, None))

    # ---- the operator's acts --------------------------------------------------------------------------------
    def ready(w, name):
        """A restored database refuses fills, reads and work until it is registered again."""
        s = w.sites[name]
        if w.R['detect'] and s.stamp != s.recorded: w.reregister(name)
        return w.sites[name]

    def make_clone(w, name, replace=False):
        """A fresh copy of the master under NAME. Deleting first retires the old number; so does a copy that
        replaces a dead one, when incarnations are on."""
        m, R = w.ready('M'), w.R
        old = m.registry.get(name)
        if old is not None and (R['incarnation'] or not replace):
            for d in (m.last_read, m.acked, m.owed): d.pop(old, None)
        num = w.new_number() if old is None or R['incarnation'] else old
        if R['copymark']: fill(m)                             # the copy holds exactly what fills up to here carry
        c = copy.deepcopy(m)
        c.name, c.number, c.master, c.mnum = name, num, False, m.number
        c.journal, c.gen, c.fillno, c.marks, c.owed, c.registry, c.sends_full = {}, 0, 0, {}, {}, {}, None
        c.last_read, c.acked = {m.number: m.fillno if R['copymark'] else 0}, {m.number: 0}
        c.stamp = c.recorded = w.stamp()
        c.pstamp = {m.number: m.stamp}
        m.registry[name], m.pstamp[num] = num, c.stamp
        m.last_read.setdefault(num, 0); m.acked.setdefault(num, 0)
        w.sites[name], w.backups[name] = c, []
        w.inbox.setdefault(name, {})
        w.forget_lost()

    def restore(w, name):
        if not w.backups.get(name): return
        s = copy.deepcopy(w.rnd.choice(w.backups[name]))
        s.stamp = w.stamp()                                    # a restore makes a new database file
        w.sites[name] = s
        w.forget_lost()

    def rearm(w):
        m = w.ready('M')
        m.gen, old = 0, sorted(m.rows.items())
        m.rows = {m.code(): r for _, r in old}
        m.journal, m.owed, m.marks = {}, {}, {m.fillno: (m.number, m.gen)}
        m.generation += 1

    def reregister(w, name):
        s = w.sites[name]
        if s.master: return w.reregister_master()
        m, R = w.ready('M'), w.R                              # the master first, if it was restored too
        s = w.sites[name]
        if s.stamp == s.recorded: return                       # made again meanwhile
        old = s.number
        if m.registry.get(name) != old or s.generation != m.generation: return w.make_clone(name)
        L = m.last_read[old]                                   # the last fill of this incarnation the master read
        new = w.new_number() if R['incarnation'] else old
        for d in (m.last_read, m.acked, m.owed): d.pop(old, None)
        m.registry[name], m.last_read[new], m.acked[new], m.pstamp[new] = new, 0, 0, s.stamp
        if R['full']: m.owed[new] = None
        mode, nxt = R['clone_recovery'], s.fillno + 1
        send = {}
        if mode == 'unsent':                                   # what no peer holds: entries and rows after fill L
            send = {k: dict(e, first=nxt) for k, e in s.journal.items() if e['first'] > L}
            if L <= s.fillno:
                mk = s.mark(L)
                for c in s.rows:
                    if c[0] == old and c > mk: send[(c, 'U')] = dict(origin=None, first=nxt, seen=s.last_read[s.mnum])
        elif mode == 'full':
            send = {k: dict(e, first=nxt) for k, e in s.journal.items()}
            s.sends_full = 'pending'
        w.resurrect(s, send)
        lr = s.last_read.get(s.mnum, 0)
        s.journal, s.number, s.mnum, s.recorded = send, new, m.number, s.stamp
        if R['former']: s.former.add(old)
        if new != old: s.gen, s.marks = 0, {}
        s.last_read, s.acked, s.top = {m.number: lr}, {m.number: 0}, max(s.top, m.top)
        s.pstamp = {m.number: m.stamp}

    def reregister_master(w):
        m, R = w.sites['M'], w.R
        B, old, clones = m.fillno, m.number, w.clones()
        L = {c.name: c.last_read.get(c.mnum, 0) for c in clones}
        if R['top']: m.top = max([m.top] + [c.top for c in clones])
        new = w.new_number() if R['incarnation'] else old
        same = [c for c in clones if m.registry.get(c.name) == c.number and c.generation == m.generation]
        mode, a = R['master_recovery'], None
        retired = m.recorded != w.lineage                     # a backup of a retired master incarnation
        if mode == 'adopt':                                    # the clone that read the newest master fill
            a = max(same, key=lambda c: L[c.name], default=None)
            if a and (L[a.name] > B or retired):               # its state, and its changes to relay
                m.rows, nxt = copy.deepcopy(a.rows), L[a.name] + 1
                m.journal = {k: dict(origin=a.number, first=nxt, seen=None) for k in a.journal}
                for c in same: m.last_read[c.number] = c.acked[c.mnum]   # what it holds from each clone
        elif mode == 'merge':
            for c in same: m.rows.update(copy.deepcopy(c.rows))
        top = max([L[c.name] for c in same], default=0)
        if top <= B and not retired: w.resurrect(m, {k: e for k, e in m.journal.items() if e['first'] > top})
        m.fillno = max(B, top)                                 # fill numbers go on above any a clone has read
        m.number, m.recorded = new, m.stamp
        w.lineage = m.stamp
        if new != old: m.gen, m.marks = 0, {}
        for c in same:
            c.last_read[new] = c.last_read.pop(c.mnum, 0); c.acked[new] = c.acked.pop(c.mnum, 0); c.mnum = new
            c.pstamp = {new: m.stamp}
        if R['full']: m.owed = {c.number: None for c in same}
        for c in clones:
            if c not in same: w.make_clone(c.name)

    # ---- work and exchange ------------------------------------------------------------------------------------
    def work(w, s, track=True):
        rnd = w.rnd
        if track and w.R['block']: s = w.ready(s.name)
        for _ in range(rnd.randrange(1, 4)):
            op, have = rnd.random(), list(s.rows)
            if op < .35 or len(have) < 5:
                pk, v = w.newpk(), f'i{s.name}-{rnd.randrange(10**6)}'
                s.rows[s.code()] = [pk, v]
            elif op < .8:
                c = rnd.choice(have); pk, v = s.rows[c][0], f'u{s.name}-{rnd.randrange(10**6)}'
                s.rows[c][1] = v; s.note(c, 'U')
            elif op < .9:                                      # a no-op save: the value it already has
                if not w.R['noop']: s.note(rnd.choice(have), 'U')
                continue
            else:
                c = rnd.choice(have); pk, v = s.rows.pop(c)[0], None; s.note(c, 'D')
            if track: w.writes.setdefault(pk, []).append((s.name, v))

    def send(w, name, everyone=False):
        s = w.ready(name)
        syn = fill(s)
        for t in (w.clones() if s.master else ['M']):
            t = t.name if isinstance(t, DB) else t
            if everyone or w.rnd.random() > w.lose: w.inbox[t].setdefault(name, []).append(syn)

    def take(w, t, sender, latest=True):
        box = w.inbox[t].get(sender)
        if not box: return
        syn = box[-1] if latest or len(box) < 2 else w.rnd.choice(box[:-1])
        res = read(w.sites[t], copy.deepcopy(syn), w.R, w.drawn)
        if res == 'restored':
            w.reregister(t); res = read(w.sites[t], copy.deepcopy(syn), w.R, w.drawn)
        if res == 'generation':                                # the remedy: make the clone again
            victim = t if t != 'M' else sender
            if victim in w.sites: w.make_clone(victim)

    def smuggle(w):
        """A fill of the other set reaches one of our sites: from its master to a clone, or from a clone to ours."""
        f, rnd = w.foreign, w.rnd
        w.work(f, track=False)
        if rnd.random() < .5:
            syn = fill(f); t = rnd.choice(w.clones()).name
        else:
            k = rnd.choice(list(f.last_read))
            fc = copy.deepcopy(f); fc.master, fc.number, fc.mnum, fc.journal = False, k, 0, {}
            fc.last_read, fc.acked, fc.fillno = {0: f.fillno}, {0: 0}, rnd.randrange(60)
            w.work(fc, track=False); syn = fill(fc); t = 'M'
        w.inbox[t].setdefault('X', []).append(syn)

    def full_round(w):
        for c in w.clones(): w.send(c.name, True)
        for c in w.clones(): w.take('M', c.name)
        w.send('M', True)
        for c in w.clones(): w.take(c.name, 'M')

    def event(w):
        rnd = w.rnd
        e = rnd.choices(w.EVENTS, (5, 2, 2, 2, 1, 3))[0]
        w.count[e] += 1
        name = rnd.choice(w.clones()).name
        if e == 'restore clone': w.restore(name)
        elif e == 'restore master': w.restore('M')
        elif e == 'remake': w.make_clone(name)
        elif e == 'replace': w.make_clone(name, replace=True)
        elif e == 'rearm': w.rearm()
        else: w.smuggle()

    def check(w, step):
        m = w.sites['M']
        pks = [r[0] for r in m.rows.values()]
        if len(pks) != len(set(pks)): return f'step {step}: the master holds a row twice'
        for c in w.clones():
            if c.rows != m.rows:
                d = set(c.rows) ^ set(m.rows) | {k for k in c.rows if k in m.rows and c.rows[k] != m.rows[k]}
                return f'step {step}: {c.name} differs from the master on {len(d)} rows'
        value = {r[0]: r[1] for r in m.rows.values()}
        for pk, ws in w.writes.items():
            if any(v is None for _, v in ws) or len({n for n, _ in ws}) > 1: continue
            if value.get(pk) != ws[-1][1]: return f'step {step}: the write of row {pk} by {ws[-1][0]} was lost'
        w.writes.clear()

    def run(w, steps):
        rnd = w.rnd
        for step in range(steps):
            a, s = rnd.random(), rnd.choice(list(w.sites.values()))
            if a < w.rare: w.event()
            elif a < .43: w.work(s)
            elif a < .65: w.send(s.name)
            elif a < .95:
                boxes = [p for p, b in w.inbox[s.name].items() if b]
                if boxes: w.take(s.name, rnd.choice(boxes), latest=rnd.random() > w.late)
            else: w.backups[s.name] = (w.backups[s.name] + [copy.deepcopy(s)])[-4:]
            if step % 40 == 39:
                for _ in range(4): w.full_round()
                bad = w.check(step)
                if bad: return bad
        return 'ok'


def scenario(R, nclones=1):
    w = World(0, nclones, dict(R), rare=0)
    return w, w.sites['M'], next(iter(w.sites['M'].rows))

def edit(w, name, code, v):
    s = w.ready(name); s.rows[code][1] = v; s.note(code, 'U')

def settle(w, code, want):
    for _ in range(4): w.full_round()
    got = {n: s.rows.get(code, [0, None])[1] for n, s in w.sites.items()}
    return 'ok' if set(got.values()) == {want} else f'want {want}, got {got}'

def own_change_back(R):
    """A clone edits a row twice, the master has read the first edit only; the clone is restored from a backup
    holding the second, unsent one. The relay of its first edit must not undo the second."""
    w, m, x = scenario(R)
    edit(w, 'c1', x, 'first'); w.send('c1', True); w.take('M', 'c1')
    edit(w, 'c1', x, 'second'); w.backups['c1'] = [copy.deepcopy(w.sites['c1'])]
    w.restore('c1'); w.ready('c1')
    w.send('M', True); w.take('c1', 'M')
    return settle(w, x, 'second')

def stale_fill_after_master_restore(R):
    """The master's edit beats a concurrent clone edit; the master is restored, and takes the clone's state;
    the clone's fill made before it saw the master's edit arrives late and must not undo that edit."""
    w, m, x = scenario(R)
    w.backups['M'] = [copy.deepcopy(m)]
    edit(w, 'M', x, 'master'); w.send('M', True)
    edit(w, 'c1', x, 'clone'); w.send('c1', True)
    w.take('c1', 'M'); w.restore('M'); w.take('M', 'c1')
    return settle(w, x, 'master')

def delete_after_master_restore(R):
    """c2 deletes a row; the master, restored, takes c1's state (row gone) before c2's delete reaches it again;
    c1, restored to before the delete, edits the row. The row must stay deleted everywhere."""
    w, m, x = scenario(R, 2)
    w.backups['c1'] = [copy.deepcopy(w.sites['c1'])]
    s = w.sites['c2']; del s.rows[x]; s.note(x, 'D'); w.send('c2', True)
    w.backups['M'] = [copy.deepcopy(m)]
    w.take('M', 'c2'); w.send('M', True); w.take('c1', 'M')
    w.restore('M'); w.ready('M'); w.send('c2', True); w.take('M', 'c2')
    w.restore('c1'); edit(w, 'c1', x, 'clone'); w.send('c1', True); w.take('M', 'c1')
    w.send('M', True); w.take('c2', 'M')                     # c2 skips the row it deleted, and learns its
    return settle(w, x, None)                                  # delete was read: it drops its entry

def master_number_twice(R):
    """The master, restored, gets a number that nobody has heard of, sends a fill, and is restored again from
    the same backup: the same number again. The first fill, late, must not pass for the second one."""
    w, m, x = scenario(R)
    w.backups['M'] = [copy.deepcopy(m)]
    w.restore('M'); edit(w, 'M', x, 'lost'); w.send('M', True)
    late = w.inbox['c1']['M'].pop()
    w.restore('M'); w.send('M', True); w.inbox['c1']['M'].append(late); w.take('c1', 'M')
    return settle(w, x, 'r')

def noop_save(R):
    """The master saves a row unchanged while a clone edits it; the clone's edit must stand."""
    w, m, x = scenario(R)
    if not R['noop']: m.note(x, 'U')                           # the save fires the journaling
    edit(w, 'c1', x, 'clone')
    return settle(w, x, 'clone')


def runs(R, n, nclones, steps=400, rare=0.06):
    res = [World(seed, nclones, R, rare=rare).run(steps) for seed in range(n)]
    bad = [r for r in res if r != 'ok']
    return len(res) - len(bad), bad


ABLATIONS = [
    ('set id off: a fill of another set is read', dict(set=False)),
    ('set id and both stamp checks off', dict(set=False, peerstamp=False, addressed=False)),
    ('generation off: fills across a re-arming are read', dict(generation=False)),
    ('incarnations off: a number is given again', dict(incarnation=False)),
    ("a read ignores the sender's stamp", dict(peerstamp=False)),
    ('a fill is read by any incarnation of its reader', dict(addressed=False)),
    ('number counter rolls back with the master', dict(top=False)),
    ('restore detection off', dict(detect=False)),
    ('work allowed on a restored database before re-registration', dict(block=False)),
    ('no full resend to a re-registered site', dict(full=False)),
    ('the master relays only deletes of rows it holds', dict(relaygone=False)),
    ('a fresh copy has read no master fill', dict(copymark=False)),
    ('a re-registered clone forgets its former numbers', dict(former=False)),
    ('no-op saves journaled', dict(noop=False)),
    ('fill number bound off', dict(bound=False)),
    ('restored clone sends a full resend', dict(clone_recovery='full')),
    ('restored clone sends nothing', dict(clone_recovery='nothing')),
    ("restored master's full resend wins", dict(master_recovery='masterwins')),
    ('restored master takes every clone\'s full resend', dict(master_recovery='merge')),
]

SCENARIOS = (own_change_back, stale_fill_after_master_restore, delete_after_master_restore, master_number_twice,
             noop_save)

def scenarios(R):
    bad = [f.__name__ for f in SCENARIOS if f(R) != 'ok']
    return 'cases fail: ' + ', '.join(bad) if bad else 'cases ok'

if __name__ == '__main__':
    if '--ablate' in sys.argv:
        n = 100
        for name, change in ABLATIONS:
            R = dict(DEFAULT, **change)
            (ok, bad), (ok2, bad2) = runs(R, n, 2), runs(R, n, 2, rare=0.15)
            bad = bad or bad2
            print(f"{name}: {ok} + {ok2} of {n} + {n} converge; {scenarios(R)}" + (f"; e.g. {bad[0]}" if bad else ''),
                  flush=True)
        sys.exit()
    n = int(sys.argv[1]) if len(sys.argv) > 1 else 100
    for f in SCENARIOS: print(f"{f.__name__}: {f(DEFAULT)}")
    for k in (1, 2, 3):
        ok, bad = runs(DEFAULT, n, k)
        print(f"clones={k}: {ok} of {n} converge" + (f"; e.g. {bad[0]}" if bad else ''))
