#include "app/plots/child_windows.h"

#include "support/shared_blocks.h"
#include "window/window.h"

namespace imm {

void closeallchilds() {
    auto& slots = global_types.child_windows;
    const std::size_t main_slot = slots.size() - 1;
    for (std::size_t i = 0; i < main_slot; ++i) {
        if (slots[i] >= 0) {
            setcurrentwindow(slots[i]);
            closewindow(slots[i]);
            slots[i] = -1;
        }
    }
    setcurrentwindow(slots[main_slot]);
}

}  // namespace imm
