#pragma once
// Zone permutations: the plain-changes generator over the homomeric
// positions, the rule that turns a permutation into a grouping of classes
// into loci, and the filter of groupings already seen in the mode.

#include <cstdint>
#include <unordered_set>
#include <string>

#include "base/session.h"

namespace korvelin {

// One adjacent exchange of `perm`; `inperm` becomes 3 after all orders.
void permut(State& st);

// Groupings stored for the current mode (rows of `lochom`), with a hash of
// the rows for the repeat test.
class GroupingFilter {
 public:
  void restart(const State& st);
  // True when row r of `lochom` has not been stored before; then it is kept.
  bool admit(const State& st, int r);

 private:
  std::unordered_set<std::string> seen_;
};

enum class NextAssignment { Accepted, ModeFinished };

// Steps the generator until a grouping not seen in this mode comes up and
// builds it as the current assignment, or ends the mode.
NextAssignment nextDistinctAssignment(State& st, GroupingFilter& filter);

// Called when the permutations of a mode end: a banner when the mode gave
// more than one new hypothesis.
void endprm(Session& s);

}  // namespace korvelin
