#include "app/ToolbarLayout.h"

TToolbarPositions ArrangeToolbarPositions(int outerWidth, int addressBarWidth) {
    return {outerWidth - 420, outerWidth - 300,     outerWidth - 165,
            outerWidth - 503, addressBarWidth - 69, addressBarWidth - 108 - 69};
}
