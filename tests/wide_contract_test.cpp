// A contract whose dispatchers have the general path alone (wide_contract.table), as the
// generator writes them, built with the library's conversion and fatal report: every
// route's number, and a fraction of it, reaches its routine; a number between routes
// reaches ERRMES. The element routines and ERRMES are this program's own.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "contract/element_routines.h"
#include "host/host_services.h"

extern "C" {
void GYRIX_CALL CONSUB(gyrix::Word, gyrix::Word);
void GYRIX_CALL VARSUB(gyrix::Word, gyrix::Word, gyrix::Word, gyrix::Word, gyrix::Word, gyrix::Word,
                       gyrix::Word);
}

namespace {

std::string called;  // the last element routine called, or the report that ERRMES got

struct Route {
  std::string dispatcher;
  int number;
  std::string routine;
};

std::vector<Route> routes_of_the_table() {
  std::ifstream table(GYRIX_WIDE_CONTRACT);
  std::vector<Route> routes;
  for (std::string line; std::getline(table, line);) {
    char dispatcher[32], routine[32];
    int number = 0;
    if (std::sscanf(line.c_str(), "ROUTE(%31[^,], %d, %31[^)])", dispatcher, &number, routine) ==
        3) {
      routes.push_back({dispatcher, number, routine});
    }
  }
  return routes;
}

void call(const std::string& dispatcher, double par1) {
  double par[1] = {par1};
  gyrix::Word w[7] = {};
  called.clear();
  if (dispatcher == "CONSUB") {
    CONSUB(par, w[1]);
  } else {
    VARSUB(w[0], w[1], par, w[3], w[4], w[5], w[6]);
  }
}

}  // namespace

void record_call(const char* routine, const void* const*, std::size_t, std::size_t) {
  called = routine;
}

extern "C" void GYRIX_CALL ERRMES(const int32_t*, const char* msg, int32_t msg_len, const int32_t*,
                                  const char*, int32_t) {
  called.assign(msg, static_cast<std::size_t>(msg_len));
}

extern "C" void GYRIX_CALL USRMES(const int32_t*, const char*, int32_t, const int32_t*, const char*,
                                  int32_t) {}

TEST(WideContract, EveryRouteAndItsFractionsReachTheirRoutine) {
  const std::vector<Route> routes = routes_of_the_table();
  ASSERT_GT(routes.size(), 100u);
  for (const Route& route : routes) {
    const double toward_zero = route.number < 0 ? -0.5 : 0.5;
    for (const double par1 : {double(route.number), route.number + toward_zero}) {
      call(route.dispatcher, par1);
      EXPECT_EQ(called, route.routine) << route.dispatcher << " " << par1;
    }
  }
}

TEST(WideContract, ANumberBetweenRoutesIsReported) {
  call("CONSUB", 21.0);
  EXPECT_EQ(called.substr(31, 28), "conSUB: Invalid PAR(1):   21");
  call("VARSUB", 1048574.0);
  EXPECT_EQ(called.substr(55, 4), "****");
}
