#pragma once

// Exact powers of the two tests of rates that the planning window searches:
// Fisher's exact test of two independent binomial samples, and the exact
// (conditional binomial) McNemar test of paired proportions. Both sum the
// probabilities of the outcomes the test rejects; neither rises steadily
// with n, so their searches walk n up one by one.

#include <atomic>
#include <vector>

namespace kelvasta {

// Power of Fisher's exact test at level α when X1 ~ Binomial(n1, p1) and
// X2 ~ Binomial(n2, p2): the probability of the outcomes (x1, x2) whose P
// is at most α. Two-sided P as the details pane takes it (the tables with the
// same margins no more probable than the observed one, relative tolerance
// 1e-7); one-sided, the tail in the direction of p1 − p2 (P(X ≥ x1) when p1 >
// p2, P(X ≤ x1) otherwise). For each total of events the rejected tables are
// the two tails of the conditional law, found by walking in from its ends.
// Outcomes of negligible probability are not visited: the binomials' ends
// (below 1e-14 a side), totals below 1e-16, and the conditional law's ends
// (together below 1e-17·α of it, so no P moves by more than that); the power
// moves by less than 1e-12. Counts up to a few thousand.
double FisherExactPower(int n1, int n2, double p1, double p2, double alpha, int sides);

// Power of the exact McNemar test for n pairs when a pair is discordant with
// probability ψ = p10 + p01 and, discordant, is of the first kind with
// probability p10/ψ: Σ over m ~ Binomial(n, ψ) of P(b rejected | m), the
// P of b as the details pane takes it (two-sided min(1, 2·P(X ≤ min(b, m − b)))
// with X ~ Binomial(m, ½); one-sided the tail in the direction of p10 − p01).
// The rejection region of every m up to `largest` is found once.
class McNemarExactPower {
 public:
  McNemarExactPower(double p10, double p01, double alpha, int sides, int largest);
  // n from 0 to `largest`; NaN beyond.
  double operator()(int n) const;

 private:
  double psi_;
  std::vector<double> rejected_;  // P(b rejected | m discordant pairs)
};

}  // namespace kelvasta
