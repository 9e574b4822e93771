// Eigenvalues and eigenvectors of a general complex matrix.
#pragma once

#include <complex>

namespace zelvan::numlib {

// All eigenvalues EVAL (n) and eigenvectors EVEC (n x n, leading dimension
// ldevec; column j belongs to EVAL(j)) of the complex n x n matrix A
// (leading dimension lda; not changed).  The eigenvalues come sorted by
// decreasing modulus, the columns of EVEC permuted alike; every eigenvector
// has unit Euclidean length and its largest component real and positive.
// The pipeline: copy, balancing, Householder reduction to Hessenberg form,
// shifted QR iteration with eigenvectors, undoing the balancing, sort and
// normalisation.  Failures: n < 1, lda < n, ldevec < n, an entry of A that
// is NaN or infinite (terminal error 3, naming the first such entry by
// column) and bad eigen-solver options are terminal errors; no convergence
// within 30*n QR steps is fatal error 1 (the run ends; EVAL and EVEC are
// not set).  Every loop is bounded, whatever values A holds.
void DEVCCG(int n, const std::complex<double>* a, int lda, std::complex<double>* eval, std::complex<double>* evec,
            int ldevec);

// The eigenvalues EVAL (n) of the complex n x n matrix A (leading
// dimension lda; not changed), as DEVCCG finds them (the same values to the
// bit, in the same order) without the eigenvectors: the QR iteration
// rotates the active block alone, at about a third of the cost.  Failures
// as DEVCCG's, named from DEVLCG.
void DEVLCG(int n, const std::complex<double>* a, int lda, std::complex<double>* eval);

// Sorts ra (n entries) ascending into rb (which may be ra) and applies
// the same exchanges to iperm: a quicksort whose partition element is
// picked at a pseudo-random position; elements are exchanged only on
// strict inequality.  n < 1 is a terminal error.
void DSVRGP(int n, const double* ra, double* rb, int* iperm);

}  // namespace zelvan::numlib
