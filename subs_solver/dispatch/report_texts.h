// The texts of the fatal reports that the user-subroutine entry points issue. Each
// names its entry point with the first three letters in lower case.
#pragma once

#include <string_view>

namespace gyrix::texts {

// Dispatchers: the text leads a routine number that is missing from the route table.
inline constexpr std::string_view kConInvalid =
    "Error in dispatcher subroutine conSUB: Invalid PAR(1): ";
inline constexpr std::string_view kDifInvalid =
    "Error in dispatcher subroutine difSUB: Invalid PAR(1): ";
inline constexpr std::string_view kFieInvalid =
    "Error in dispatcher subroutine fieSUB: Invalid PAR(1): ";
inline constexpr std::string_view kReqInvalid =
    "Error in dispatcher subroutine reqSUB: Invalid PAR(1): ";
inline constexpr std::string_view kSfoInvalid =
    "Error in dispatcher subroutine sfoSUB: Invalid PAR(1): ";
inline constexpr std::string_view kVarInvalid =
    "Error in dispatcher subroutine varSUB: Invalid PAR(1): ";

// Entry points without routines: the text leads kNoSubroutine.
inline constexpr std::string_view kBra = "Error in dispatcher subroutine braSUB: ";
inline constexpr std::string_view kCou = "Error in dispatcher subroutine couSUB: ";
inline constexpr std::string_view kCxx = "Error in dispatcher subroutine cxxSUB: ";
inline constexpr std::string_view kCxd = "Error in dispatcher subroutine cxdSUB: ";
inline constexpr std::string_view kCur = "Error in dispatcher subroutine curSUB: ";
inline constexpr std::string_view kDmp = "Error in dispatcher subroutine dmpSUB: ";
inline constexpr std::string_view kGfo = "Error in dispatcher subroutine gfoSUB: ";
inline constexpr std::string_view kGse = "Error in dispatcher subroutine gseSUB: ";
inline constexpr std::string_view kMfo = "Error in dispatcher subroutine mfoSUB: ";
inline constexpr std::string_view kMot = "Error in dispatcher subroutine motSUB: ";
inline constexpr std::string_view kSen = "Error in dispatcher subroutine senSUB: ";
inline constexpr std::string_view kStr = "Error in dispatcher subroutine strSUB: ";
inline constexpr std::string_view kThr = "Error in dispatcher subroutine thrSUB: ";
inline constexpr std::string_view kTir = "Error in dispatcher subroutine tirSUB: ";
inline constexpr std::string_view kUco = "Error in dispatcher subroutine ucoSUB: ";
inline constexpr std::string_view kVfo = "Error in dispatcher subroutine vfoSUB: ";
inline constexpr std::string_view kVto = "Error in dispatcher subroutine vtoSUB: ";
inline constexpr std::string_view kCnf = "Error in dispatcher subroutine cnfSUB: ";
inline constexpr std::string_view kCff = "Error in dispatcher subroutine cffSUB: ";

inline constexpr std::string_view kNoSubroutine = "No user subroutine supplied";

}  // namespace gyrix::texts
