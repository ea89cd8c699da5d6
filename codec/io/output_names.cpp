#include "platform.h"

namespace morvane {

DiscardResult RemoveOutputNames(std::initializer_list<std::string*> names,
                                const std::function<NameRemoval(const std::string&)>& removeIfOurs) {
    DiscardResult result;
    for (std::string* name : names) {
        if (name->empty()) continue;
        switch (removeIfOurs(*name)) {
        case NameRemoval::Removed:
        case NameRemoval::Gone:
            break;
        case NameRemoval::TakenByAnother:
            result.takenByAnother = *name;
            break;
        case NameRemoval::Failed:
            result.notRemoved = *name;
            return result;
        }
        name->clear();
    }
    return result;
}

}  // namespace morvane
