// The six dispatchers' route tables: routine number to element routine, in test order.
// The same number selects a different routine in each table.
#pragma once

#include "dispatch/report_texts.h"
#include "dispatch/route_table.h"

namespace gyrix::routes {

inline constexpr RouteTable<2, 4> kCon{
    0, texts::kConInvalid, {{{900, CON900}, {905, CON905}, {917, CON917}, {920, CON920}}}};

inline constexpr RouteTable<7, 2> kDif{2, texts::kDifInvalid, {{{901, DIF901}, {1117, DIF1117}}}};

inline constexpr RouteTable<11, 3> kFie{
    2, texts::kFieInvalid, {{{900, FIE900}, {901, FIE901}, {910, FIE910}}}};

inline constexpr RouteTable<6, 3> kReq{
    2, texts::kReqInvalid, {{{904, REQ904}, {905, REQ905}, {909, REQ909}}}};

inline constexpr RouteTable<7, 1> kSfo{2, texts::kSfoInvalid, {{{901, SFO901}}}};

inline constexpr RouteTable<7, 3> kVar{
    2, texts::kVarInvalid, {{{907, VAR907}, {913, VAR913}, {1117, VAR1117}}}};

}  // namespace gyrix::routes
