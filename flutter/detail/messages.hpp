// Every message text of the flutter solution: the notes written before a
// library error's message when one ends the run.
#pragma once

#include <string_view>

namespace zelvan::flutter::msg {

// The eigenproblem of one dynamic pressure (DEVCCG).
inline constexpr std::string_view kNoteFlutterStep =
    R"(( / "!!! While solving the flutter eigenproblem inv(M)*(K + q*Q) at q =", 1PG12.5, " N/m2", /, "    (M and K from M_1, M_2, S_m, K_1, K_2, K_m; Q the aerodynamic coefficients QR + i*QS):"))";

// How the thin-plate coefficients' note names the reduced frequency of an
// iterate of the p-k analysis or the matched point.
inline constexpr std::string_view kThinPlateAtIterate = "the flutter solution's k";

}  // namespace zelvan::flutter::msg
