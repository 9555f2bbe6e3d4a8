#include "ddl/Operations.h"

#include <exception>

#include "ddl/ConvertAndOrder.h"

namespace quorvel::ddl {

Outcome ConvertDdl(DM& dm, Frontend& ui, const std::string& source, const std::string& target) {
    ui.setWorking();
    auto endWith = [&ui](Outcome outcome) {
        ui.setError();
        ui.showMessage(outcome.message());
        return outcome;
    };
    try {
        ui.setText("EditTarget", target);
        ui.processEvents();
        TableOrder order = ConvertDdlAndOrder(dm, source, target);
        ui.setOK();
        if (!order.cycleTables.empty()) ui.showMessage(CycleMessage(order.cycleTables));
        return Outcome::done();
    } catch (const ConversionRefused& e) {
        return endWith(Outcome::refused(e.what()));
    } catch (const std::exception& e) {
        return endWith(Outcome::failed(e.what()));
    } catch (...) {
        return endWith(Outcome::failed("Unknown error"));
    }
}

}  // namespace quorvel::ddl
