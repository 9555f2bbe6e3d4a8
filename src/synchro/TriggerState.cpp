#include "synchro/TriggerState.h"

#include "engine/Query.h"

namespace quorvel::synchro {

bool triggersActive(engine::Database& db) {
    engine::Query q(db);
    q.setSql("select gen_id(R$Trig, 0) from RDB$DATABASE");
    q.open();
    const bool active = q.field(0).asInteger() == 0;
    q.close();
    return active;
}

}  // namespace quorvel::synchro
