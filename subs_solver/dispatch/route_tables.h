// The six dispatchers' route tables: routine number to element routine, in test order.
// The same number selects a different routine in each table.
#pragma once

#include "dispatch/report_texts.h"
#include "dispatch/route_table.h"

namespace gyrix::routes {

inline constexpr RouteTable<2, 4> kCon{
    0,
    texts::kConInvalid,
    {{{900, &cell::CON900}, {905, &cell::CON905}, {917, &cell::CON917}, {920, &cell::CON920}}}};

inline constexpr RouteTable<7, 2> kDif{
    2, texts::kDifInvalid, {{{901, &cell::DIF901}, {1117, &cell::DIF1117}}}};

inline constexpr RouteTable<11, 3> kFie{
    2, texts::kFieInvalid, {{{900, &cell::FIE900}, {901, &cell::FIE901}, {910, &cell::FIE910}}}};

inline constexpr RouteTable<6, 3> kReq{
    2, texts::kReqInvalid, {{{904, &cell::REQ904}, {905, &cell::REQ905}, {909, &cell::REQ909}}}};

inline constexpr RouteTable<7, 1> kSfo{2, texts::kSfoInvalid, {{{901, &cell::SFO901}}}};

inline constexpr RouteTable<7, 3> kVar{
    2, texts::kVarInvalid, {{{907, &cell::VAR907}, {913, &cell::VAR913}, {1117, &cell::VAR1117}}}};

}  // namespace gyrix::routes
