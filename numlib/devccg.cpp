#include "numlib/devccg.hpp"

#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

#include "numlib/detail/blas.hpp"
#include "numlib/detail/messages.hpp"
#include "numlib/error_handler.hpp"
#include "numlib/machine.hpp"
#include "numlib/option_store.hpp"

namespace zelvan::numlib {
namespace {

// A square work matrix with 1-based element access, real and imaginary
// parts held apart as the reduction and the QR iteration work on them.
class Work {
 public:
  Work(int n, int ld) : ld_(ld), re_(static_cast<std::size_t>(ld) * static_cast<std::size_t>(n)), im_(re_.size()) {}
  double& re(int i, int j) { return re_[index(i, j)]; }
  double& im(int i, int j) { return im_[index(i, j)]; }
  zcomplex get(int i, int j) const { return {re_[index(i, j)], im_[index(i, j)]}; }
  void set(int i, int j, zcomplex v) {
    re_[index(i, j)] = v.real();
    im_[index(i, j)] = v.imag();
  }

 private:
  std::size_t index(int i, int j) const {
    return static_cast<std::size_t>(j - 1) * static_cast<std::size_t>(ld_) + static_cast<std::size_t>(i - 1);
  }
  int ld_;
  std::vector<double> re_, im_;
};

// (ar + i*ai)/(br + i*bi), scaled against overflow.
void cdiv(double ar, double ai, double br, double bi, double& cr, double& ci) {
  double s = std::fabs(br) + std::fabs(bi);
  const double ars = ar / s, ais = ai / s, brs = br / s, bis = bi / s;
  s = brs * brs + bis * bis;
  cr = (ars * brs + ais * bis) / s;
  ci = (ais * brs - ars * bis) / s;
}

// Principal square root of xr + i*xi.
void csqrt(double xr, double xi, double& yr, double& yi) {
  double s = std::sqrt(0.5 * (DHYPOT(xr, xi) + std::fabs(xr)));
  yr = 0.0;
  yi = 0.0;
  if (xr >= 0.0) yr = s;
  if (xi < 0.0) s = -s;
  if (xr <= 0.0) yi = s;
  if (xr < 0.0) yr = 0.5 * (xi / yi);
}

// DCCGCG: B := A with argument checks.
void DCCGCG(int n, const zcomplex* a, int lda, Work& b) {
  E1PSH("DCCGCG");
  if (n < 1) {
    E1STI(1, n);
    E1MES(ErrorType::terminal, 1, msg::kDccgcgN);
  } else if (lda < n) {
    E1STI(1, lda);
    E1STI(2, n);
    E1MES(ErrorType::terminal, 2, msg::kDccgcgLda);
  } else {
    for (int j = 1; j <= n; ++j)
      for (int i = 1; i <= n; ++i)
        b.set(i, j,
              a[static_cast<std::size_t>(j - 1) * static_cast<std::size_t>(lda) + static_cast<std::size_t>(i - 1)]);
  }
  E1POP("DCCGCG");
}

// The balancing's exchange of rows and columns j and m, recorded in
// scale(m); k..l is the window not yet isolated.
void exchange(Work& a, std::vector<double>& scale, int n, int k, int l, int j, int m) {
  scale[static_cast<std::size_t>(m)] = j;
  if (j == m) return;
  for (int i = 1; i <= l; ++i) {
    std::swap(a.re(i, j), a.re(i, m));
    std::swap(a.im(i, j), a.im(i, m));
  }
  for (int i = k; i <= n; ++i) {
    std::swap(a.re(j, i), a.re(m, i));
    std::swap(a.im(j, i), a.im(m, i));
  }
}

// Balancing phase 1: rows isolating an eigenvalue go to the bottom, which
// shrinks l.  False when the whole matrix was isolated (l reached 1).
bool isolate_rows(int n, Work& a, int k, int& l, std::vector<double>& scale) {
  bool found = true;
  while (found && l >= 1) {
    found = false;
    for (int j = l; j >= 1; --j) {
      bool isolated = true;
      for (int i = 1; i <= l && isolated; ++i) {
        if (i != j && (a.re(j, i) != 0.0 || a.im(j, i) != 0.0)) isolated = false;
      }
      if (isolated) {
        exchange(a, scale, n, k, l, j, l);
        if (l == 1) return false;
        --l;
        found = true;
        break;
      }
    }
  }
  return true;
}

// Balancing phase 2: columns isolating an eigenvalue go to the left, which
// raises k.
void isolate_columns(int n, Work& a, int& k, int l, std::vector<double>& scale) {
  bool found = true;
  while (found) {
    found = false;
    for (int j = k; j <= l; ++j) {
      bool isolated = true;
      for (int i = k; i <= l && isolated; ++i) {
        if (i != j && (a.re(i, j) != 0.0 || a.im(i, j) != 0.0)) isolated = false;
      }
      if (isolated) {
        exchange(a, scale, n, k, l, j, k);
        ++k;
        found = true;
        break;
      }
    }
  }
}

// Balancing phase 3: rows and columns of the window k..l scaled by powers
// of the radix until their off-diagonal sums are close; the factors are
// recorded in scale(k..l).
void scale_window(int n, Work& a, int k, int l, std::vector<double>& scale) {
  const double radix = std::nearbyint(std::pow(10.0, DMACH(5)));
  const double b2 = radix * radix;
  for (int i = k; i <= l; ++i) scale[static_cast<std::size_t>(i)] = 1.0;
  bool noconv = true;
  while (noconv) {
    noconv = false;
    for (int i = k; i <= l; ++i) {
      double c = 0.0, r = 0.0;
      for (int j = k; j <= l; ++j) {
        if (j == i) continue;
        c += std::fabs(a.re(j, i)) + std::fabs(a.im(j, i));
        r += std::fabs(a.re(i, j)) + std::fabs(a.im(i, j));
      }
      // A sum that overflowed has no scale to balance it (and the scaling
      // loops below would never end on an infinite one).
      if (c == 0.0 || r == 0.0 || !std::isfinite(c) || !std::isfinite(r)) continue;
      double g = r / radix;
      double f = 1.0;
      const double s = c + r;
      while (c < g) {
        f *= radix;
        c *= b2;
      }
      g = r * radix;
      while (c >= g) {
        f /= radix;
        c /= b2;
      }
      if ((c + r) / f < 0.95 * s) {
        g = 1.0 / f;
        scale[static_cast<std::size_t>(i)] *= f;
        noconv = true;
        for (int j = k; j <= n; ++j) {
          a.re(i, j) *= g;
          a.im(i, j) *= g;
        }
        for (int j = 1; j <= l; ++j) {
          a.re(j, i) *= f;
          a.im(j, i) *= f;
        }
      }
    }
  }
}

// DE3CCG: balancing.  Isolated eigenvalues are moved to the bottom and to
// the left by exchanges; the window low..igh is scaled by powers of the
// radix.  scale(j) records the exchange partner outside the window and the
// scale factor inside it.
void DE3CCG(int n, Work& a, int& low, int& igh, std::vector<double>& scale) {
  E1PSH("DE3CCG");
  int k = 1, l = n;
  if (isolate_rows(n, a, k, l, scale)) {
    isolate_columns(n, a, k, l, scale);
    scale_window(n, a, k, l, scale);
  }
  low = k;
  igh = l;
  E1POP("DE3CCG");
}

// DE4CCG: Householder reduction of the window to upper Hessenberg form.
// The reflection vectors are kept in ort and below the subdiagonal.
void DE4CCG(int n, int low, int igh, Work& a, std::vector<zcomplex>& ort) {
  E1PSH("DE4CCG");
  std::vector<zcomplex> u(static_cast<std::size_t>(n) + 1), f(static_cast<std::size_t>(n) + 1);
  for (int m = low + 1; m <= igh - 1; ++m) {
    ort[static_cast<std::size_t>(m)] = 0.0;
    double scale = 0.0;
    for (int i = m; i <= igh; ++i) scale += std::fabs(a.re(i, m - 1)) + std::fabs(a.im(i, m - 1));
    if (scale == 0.0) continue;
    double h = 0.0;
    for (int i = igh; i >= m; --i) {
      const zcomplex v(a.re(i, m - 1) / scale, a.im(i, m - 1) / scale);
      ort[static_cast<std::size_t>(i)] = v;
      h += v.real() * v.real() + v.imag() * v.imag();
    }
    double g = std::sqrt(h);
    const zcomplex om = ort[static_cast<std::size_t>(m)];
    const double fm = DHYPOT(om.real(), om.imag());
    if (fm == 0.0) {
      ort[static_cast<std::size_t>(m)] = g;
      a.re(m, m - 1) = scale;
    } else {
      h += fm * g;
      g /= fm;
      ort[static_cast<std::size_t>(m)] = zcomplex((1.0 + g) * om.real(), (1.0 + g) * om.imag());
    }
    const int len = igh - m + 1;
    for (int i = 0; i < len; ++i)
      u[static_cast<std::size_t>(i)] = ort[static_cast<std::size_t>(m) + static_cast<std::size_t>(i)];
    // (I - u*u^H/h)*A on rows m..igh, columns m..n.
    for (int j = m; j <= n; ++j) {
      zcomplex s = 0.0;
      for (int i = igh; i >= m; --i) s += std::conj(ort[static_cast<std::size_t>(i)]) * a.get(i, j);
      s /= h;
      for (int i = m; i <= igh; ++i) a.set(i, j, a.get(i, j) - s * ort[static_cast<std::size_t>(i)]);
    }
    // A*(I - u*u^H/h) on rows 1..igh, columns m..igh.
    for (int i = 1; i <= igh; ++i) {
      zcomplex s = 0.0;
      for (int j = igh; j >= m; --j) s += ort[static_cast<std::size_t>(j)] * a.get(i, j);
      s /= h;
      for (int j = m; j <= igh; ++j) a.set(i, j, a.get(i, j) - s * std::conj(ort[static_cast<std::size_t>(j)]));
    }
    ort[static_cast<std::size_t>(m)] *= scale;
    a.re(m, m - 1) *= -g;
    a.im(m, m - 1) *= -g;
  }
  E1POP("DE4CCG");
}

// DE3CCH phase 1: Z := the unitary matrix of the reflections left by
// DE4CCG, accumulated last first onto the identity.
void accumulate_reflections(int n, int low, int igh, Work& h, std::vector<zcomplex>& ort, Work& z) {
  for (int j = 1; j <= n; ++j) {
    for (int i = 1; i <= n; ++i) {
      z.re(i, j) = 0.0;
      z.im(i, j) = 0.0;
    }
    z.re(j, j) = 1.0;
  }
  for (int i = igh - 1; i >= low + 1; --i) {
    const zcomplex oi = ort[static_cast<std::size_t>(i)];
    if ((oi.real() == 0.0 && oi.imag() == 0.0) || (h.re(i, i - 1) == 0.0 && h.im(i, i - 1) == 0.0)) continue;
    const double norm = h.re(i, i - 1) * oi.real() + h.im(i, i - 1) * oi.imag();
    for (int k = i + 1; k <= igh; ++k) ort[static_cast<std::size_t>(k)] = h.get(k, i - 1);
    for (int j = i; j <= igh; ++j) {
      zcomplex s = 0.0;
      for (int k = i; k <= igh; ++k) s += std::conj(ort[static_cast<std::size_t>(k)]) * z.get(k, j);
      s /= norm;
      for (int k = i; k <= igh; ++k) z.set(k, j, z.get(k, j) + s * ort[static_cast<std::size_t>(k)]);
    }
  }
}

// DE3CCH phase 2: a diagonal unitary similarity that makes the
// subdiagonal of H real and non-negative (applied to Z as well), and the
// eigenvalues isolated by the balancing read off the diagonal.
void make_subdiagonal_real(int n, int low, int igh, Work& h, std::vector<double>& wr, std::vector<double>& wi,
                           Work& z) {
  for (int i = low + 1; i <= igh; ++i) {
    const int ll = std::min(i + 1, igh);
    if (h.im(i, i - 1) == 0.0) continue;
    const double norm = DHYPOT(h.re(i, i - 1), h.im(i, i - 1));
    const zcomplex y(h.re(i, i - 1) / norm, h.im(i, i - 1) / norm);
    h.re(i, i - 1) = norm;
    h.im(i, i - 1) = 0.0;
    for (int j = i; j <= n; ++j) h.set(i, j, std::conj(y) * h.get(i, j));
    for (int j = 1; j <= ll; ++j) h.set(j, i, y * h.get(j, i));
    for (int j = low; j <= igh; ++j) z.set(j, i, y * z.get(j, i));
  }
  for (int i = 1; i <= n; ++i) {
    if (i >= low && i <= igh) continue;
    wr[static_cast<std::size_t>(i)] = h.re(i, i);
    wi[static_cast<std::size_t>(i)] = h.im(i, i);
  }
}

// The working state of the QR iteration on the active block l..en of H:
// the matrices, the eigenvalue arrays (which hold the rotation cosines
// between the row and the column sweep), the balancing window, and
// whether the eigenvectors are wanted.  Without them the rotations touch
// the active block alone: the entries outside it never enter the block,
// so the eigenvalues are the same to the bit.
struct QrState {
  int n, low, igh;
  Work& h;
  Work& z;
  std::vector<double>& wr;
  std::vector<double>& wi;
  bool vectors = true;
};

// The row l: H(l,l-1) is negligible against its diagonal neighbours (l ==
// low when none is), searched upwards from en.
int negligible_subdiagonal(Work& h, int low, int en, double eps, double smlnum) {
  int l = en;
  for (; l > low; --l) {
    const double t =
        std::fabs(h.re(l - 1, l - 1)) + std::fabs(h.im(l - 1, l - 1)) + std::fabs(h.re(l, l)) + std::fabs(h.im(l, l));
    if (std::fabs(h.re(l, l - 1)) <= std::max(eps * t, smlnum)) break;
  }
  return l;
}

// The shift for iteration its on the block ending at en: the eigenvalue
// of the trailing 2 by 2 block nearer H(en,en), or an exceptional real
// shift at the 10th and 20th iterations.
void qr_shift(Work& h, int en, int its, double& sr, double& si) {
  const int enm1 = en - 1;
  if (its == 10 || its == 20) {
    sr = std::fabs(h.re(en, enm1)) + (en - 2 >= 1 ? std::fabs(h.re(enm1, en - 2)) : 0.0);
    si = 0.0;
    return;
  }
  sr = h.re(en, en);
  si = h.im(en, en);
  const double xr = h.re(enm1, en) * h.re(en, enm1);
  const double xi = h.im(enm1, en) * h.re(en, enm1);
  if (xr != 0.0 || xi != 0.0) {
    const double yr = (h.re(enm1, enm1) - sr) / 2.0;
    const double yi = (h.im(enm1, enm1) - si) / 2.0;
    double zzr, zzi;
    csqrt(yr * yr - yi * yi + xr, 2.0 * yr * yi + xi, zzr, zzi);
    if (yr * zzr + yi * zzi < 0.0) {
      zzr = -zzr;
      zzi = -zzi;
    }
    double qr, qi;
    cdiv(xr, xi, yr + zzr, yi + zzi, qr, qi);
    sr -= qr;
    si -= qi;
  }
}

// One QR step, first half: rotations on the rows l..en reduce the shifted
// block to upper triangular form; their cosines are kept in wr/wi(l..en-1)
// and their sines in H(i,i-1).  A complex H(en,en) is then made real by
// the unit factor (ssr, ssi) on row en, which the column sweep undoes.
void qr_row_sweep(QrState& q, int l, int en, double& ssr, double& ssi) {
  Work& h = q.h;
  for (int i = l + 1; i <= en; ++i) {
    const double s = h.re(i, i - 1);
    h.re(i, i - 1) = 0.0;
    const double norm = DHYPOT(DHYPOT(h.re(i - 1, i - 1), h.im(i - 1, i - 1)), s);
    const double xr = h.re(i - 1, i - 1) / norm;
    const double xi = h.im(i - 1, i - 1) / norm;
    q.wr[static_cast<std::size_t>(i - 1)] = xr;
    q.wi[static_cast<std::size_t>(i - 1)] = xi;
    h.re(i - 1, i - 1) = norm;
    h.im(i - 1, i - 1) = 0.0;
    h.im(i, i - 1) = s / norm;
    const int last = q.vectors ? q.n : en;
    for (int j = i; j <= last; ++j) {
      const double yr = h.re(i - 1, j), yi = h.im(i - 1, j);
      const double zr = h.re(i, j), zi = h.im(i, j);
      const double sn = h.im(i, i - 1);
      h.re(i - 1, j) = xr * yr + xi * yi + sn * zr;
      h.im(i - 1, j) = xr * yi - xi * yr + sn * zi;
      h.re(i, j) = xr * zr - xi * zi - sn * yr;
      h.im(i, j) = xr * zi + xi * zr - sn * yi;
    }
  }
  ssr = 0.0;
  ssi = h.im(en, en);
  if (ssi != 0.0) {
    const double norm = DHYPOT(h.re(en, en), ssi);
    ssr = h.re(en, en) / norm;
    ssi /= norm;
    h.re(en, en) = norm;
    h.im(en, en) = 0.0;
    for (int j = en + 1; j <= (q.vectors ? q.n : en); ++j) {
      const double yr = h.re(en, j), yi = h.im(en, j);
      h.re(en, j) = ssr * yr + ssi * yi;
      h.im(en, j) = ssr * yi - ssi * yr;
    }
  }
}

// One QR step, second half: the inverse rotations on the columns of H
// (RQ) and of Z, then the unit factor (ssr, ssi) on column en.
void qr_column_sweep(QrState& q, int l, int en, double ssr, double ssi) {
  Work& h = q.h;
  Work& z = q.z;
  const int first = q.vectors ? 1 : l;
  for (int j = l + 1; j <= en; ++j) {
    const double xr = q.wr[static_cast<std::size_t>(j - 1)];
    const double xi = q.wi[static_cast<std::size_t>(j - 1)];
    const double sn = h.im(j, j - 1);
    for (int i = first; i <= j; ++i) {
      const double yr = h.re(i, j - 1);
      double yi = 0.0;
      const double zr = h.re(i, j), zi = h.im(i, j);
      if (i != j) {
        yi = h.im(i, j - 1);
        h.im(i, j - 1) = xr * yi + xi * yr + sn * zi;
      }
      h.re(i, j - 1) = xr * yr - xi * yi + sn * zr;
      h.re(i, j) = xr * zr + xi * zi - sn * yr;
      h.im(i, j) = xr * zi - xi * zr - sn * yi;
    }
    if (!q.vectors) continue;
    for (int i = q.low; i <= q.igh; ++i) {
      const double yr = z.re(i, j - 1), yi = z.im(i, j - 1);
      const double zr = z.re(i, j), zi = z.im(i, j);
      z.re(i, j - 1) = xr * yr - xi * yi + sn * zr;
      z.im(i, j - 1) = xr * yi + xi * yr + sn * zi;
      z.re(i, j) = xr * zr + xi * zi - sn * yr;
      z.im(i, j) = xr * zi - xi * zr - sn * yi;
    }
  }
  if (ssi != 0.0) {
    for (int i = first; i <= en; ++i) {
      const double yr = h.re(i, en), yi = h.im(i, en);
      h.re(i, en) = ssr * yr - ssi * yi;
      h.im(i, en) = ssr * yi + ssi * yr;
    }
    for (int i = q.low; i <= (q.vectors ? q.igh : q.low - 1); ++i) {
      const double yr = z.re(i, en), yi = z.im(i, en);
      z.re(i, en) = ssr * yr - ssi * yi;
      z.im(i, en) = ssr * yi + ssi * yr;
    }
  }
}

// DE3CCH phase 3: shifted QR iteration of the window low..igh to upper
// triangular form, one eigenvalue deflated at a time from the bottom.
// The shifts are accumulated in (tr, ti) and added back to each
// eigenvalue found.  False (after the fatal message) when 30*n iterations
// in all do not suffice.
bool qr_iterate(QrState& q) {
  Work& h = q.h;
  const double eps = DMACH(4);
  const double safmin = std::max(DMACH(1), 1.0 / DMACH(2));
  const double smlnum = 100.0 * safmin;
  int en = q.igh;
  double tr = 0.0, ti = 0.0;
  int itn = 30 * q.n;

  while (en >= q.low) {
    int its = 0;
    const int enm1 = en - 1;
    for (;;) {
      const int l = negligible_subdiagonal(h, q.low, en, eps, smlnum);
      if (l == en) break;  // one row: an eigenvalue
      if (itn == 0) {
        E1MES(ErrorType::fatal, 1, msg::kDe3cchConvergence);
        return false;
      }
      double sr, si;
      qr_shift(h, en, its, sr, si);
      for (int i = q.low; i <= en; ++i) {
        h.re(i, i) -= sr;
        h.im(i, i) -= si;
      }
      tr += sr;
      ti += si;
      ++its;
      --itn;
      double ssr, ssi;
      qr_row_sweep(q, l, en, ssr, ssi);
      qr_column_sweep(q, l, en, ssr, ssi);
    }
    // A root found.
    h.re(en, en) += tr;
    h.im(en, en) += ti;
    q.wr[static_cast<std::size_t>(en)] = h.re(en, en);
    q.wi[static_cast<std::size_t>(en)] = h.im(en, en);
    en = enm1;
  }
  return true;
}

// The eigenvectors of the upper triangular H, by back substitution in
// place of H's columns; norm is the largest row-wise modulus sum of H.
void triangular_eigenvectors(int n, Work& h, const std::vector<double>& wr, const std::vector<double>& wi,
                             double norm) {
  // Down to e = 1, whose vector is the first unit vector: its diagonal
  // must become 1 as well, or the vector would be scaled by the
  // eigenvalue left there (and be zero for a zero eigenvalue).
  for (int e = n; e >= 1; --e) {
    const double xr = wr[static_cast<std::size_t>(e)], xi = wi[static_cast<std::size_t>(e)];
    h.re(e, e) = 1.0;
    h.im(e, e) = 0.0;
    for (int i = e - 1; i >= 1; --i) {
      double zzr = 0.0, zzi = 0.0;
      for (int j = i + 1; j <= e; ++j) {
        zzr += h.re(i, j) * h.re(j, e) - h.im(i, j) * h.im(j, e);
        zzi += h.re(i, j) * h.im(j, e) + h.im(i, j) * h.re(j, e);
      }
      double yr = xr - wr[static_cast<std::size_t>(i)];
      const double yi = xi - wi[static_cast<std::size_t>(i)];
      if (yr == 0.0 && yi == 0.0) {
        // Equal eigenvalues: a small divisor relative to the norm.
        yr = norm;
        do {
          yr *= 0.01;
        } while (norm + yr > norm);
      }
      cdiv(zzr, zzi, yr, yi, h.re(i, e), h.im(i, e));
      const double t = std::fabs(h.re(i, e)) + std::fabs(h.im(i, e));
      if (t != 0.0 && t + 1.0 / t <= t) {
        for (int j = i; j <= e; ++j) {
          h.re(j, e) /= t;
          h.im(j, e) /= t;
        }
      }
    }
  }
}

// DE3CCH phase 4: the eigenvectors of the triangular form, taken back to
// those of the full matrix through Z (the rows outside the window are the
// triangular vectors themselves).
void back_substitute(int n, int low, int igh, Work& h, const std::vector<double>& wr, const std::vector<double>& wi,
                     Work& z) {
  double norm = 0.0;
  for (int i = 1; i <= n; ++i)
    for (int j = i; j <= n; ++j) norm = std::max(norm, std::fabs(h.re(i, j)) + std::fabs(h.im(i, j)));
  if (n <= 1 || norm == 0.0) return;
  triangular_eigenvectors(n, h, wr, wi, norm);
  for (int i = 1; i <= n; ++i) {
    if (i >= low && i <= igh) continue;
    for (int j = i; j <= n; ++j) {
      z.re(i, j) = h.re(i, j);
      z.im(i, j) = h.im(i, j);
    }
  }
  for (int j = n; j >= low; --j) {
    const int m = std::min(j, igh);
    for (int i = low; i <= igh; ++i) {
      double zzr = 0.0, zzi = 0.0;
      for (int k = low; k <= m; ++k) {
        zzr += z.re(i, k) * h.re(k, j) - z.im(i, k) * h.im(k, j);
        zzi += z.re(i, k) * h.im(k, j) + z.im(i, k) * h.re(k, j);
      }
      z.re(i, j) = zzr;
      z.im(i, j) = zzi;
    }
  }
}

// DE3CCH: the unitary matrix from the reflections, real subdiagonal,
// shifted QR iteration to triangular form, and the eigenvectors (without
// `vectors`: the eigenvalues alone, Z left as it is).
void DE3CCH(int n, int low, int igh, Work& h, std::vector<zcomplex>& ort, std::vector<double>& wr,
            std::vector<double>& wi, Work& z, bool vectors) {
  E1PSH("DE3CCH");
  if (vectors) accumulate_reflections(n, low, igh, h, ort, z);
  make_subdiagonal_real(n, low, igh, h, wr, wi, z);
  QrState q{n, low, igh, h, z, wr, wi, vectors};
  if (!qr_iterate(q)) {
    E1POP("DE3CCH");
    return;
  }
  if (vectors) back_substitute(n, low, igh, h, wr, wi, z);
  E1POP("DE3CCH");
}

// DE5CCG: undo the balancing on the eigenvector rows.
void DE5CCG(int n, int low, int igh, const std::vector<double>& scale, Work& z) {
  E1PSH("DE5CCG");
  if (igh != low) {
    for (int i = low; i <= igh; ++i) {
      const double s = scale[static_cast<std::size_t>(i)];
      for (int j = 1; j <= n; ++j) {
        z.re(i, j) *= s;
        z.im(i, j) *= s;
      }
    }
  }
  for (int ii = 1; ii <= n; ++ii) {
    int i = ii;
    if (i >= low && i <= igh) continue;
    if (i < low) i = low - ii;
    const int k = static_cast<int>(scale[static_cast<std::size_t>(i)]);
    if (k == i) continue;
    for (int j = 1; j <= n; ++j) {
      std::swap(z.re(i, j), z.re(k, j));
      std::swap(z.im(i, j), z.im(k, j));
    }
  }
  E1POP("DE5CCG");
}

// |z| as max*sqrt(1 + (min/max)^2).
double modulus(zcomplex v) {
  const double a = std::fabs(v.real()), b = std::fabs(v.imag());
  const double big = std::max(a, b), small = std::min(a, b);
  if (big == 0.0) return 0.0;
  const double r = small / big;
  return big * std::sqrt(1.0 + r * r);
}

// The pipeline of DEVCCG; evec == nullptr: the eigenvalues alone (DEVLCG).
void DE6CCG(int n, const zcomplex* a, int lda, zcomplex* eval, zcomplex* evec, int ldevec, int ld_work) {
  E1PSH("DE6CCG");
  int options_in[2] = {3, 4};
  int options[2] = {0, 0};
  if (lda < n) {
    E1STI(1, lda);
    E1STI(2, n);
    E1MES(ErrorType::terminal, 1, msg::kDe6ccgLda);
  } else if (evec != nullptr && ldevec < n) {
    E1STI(1, ldevec);
    E1STI(2, n);
    E1MES(ErrorType::terminal, 2, msg::kDe6ccgLdevec);
  } else {
    IUMAG("MATH", 2, 1, 2, options_in, options);
    if (options[0] < 0 || options[1] < 0) {
      E1STI(1, options[0]);
      E1STI(2, options[1]);
      E1MES(ErrorType::terminal, 3, msg::kDe6ccgOptions);
    }
  }
  if (N1RTY(0) >= type_number(ErrorType::fatal)) {
    E1POP("DE6CCG");
    return;
  }
  if (options[1] > 0 && n % options[1] == 0) ld_work += options[0];

  Work h(n, ld_work), z(n, n);
  std::vector<double> scale(static_cast<std::size_t>(n) + 1), wr(static_cast<std::size_t>(n) + 1),
      wi(static_cast<std::size_t>(n) + 1);
  std::vector<zcomplex> ort(static_cast<std::size_t>(n) + 1);
  int low = 1, igh = n;

  DCCGCG(n, a, lda, h);
  DE3CCG(n, h, low, igh, scale);
  DE4CCG(n, low, igh, h, ort);
  DE3CCH(n, low, igh, h, ort, wr, wi, z, evec != nullptr);
  if (N1RTY(1) >= type_number(ErrorType::fatal)) {
    E1POP("DE6CCG");
    return;
  }
  if (evec != nullptr) DE5CCG(n, low, igh, scale, z);

  // Order by decreasing modulus.
  std::vector<double> wk(static_cast<std::size_t>(n));
  std::vector<int> iperm(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) {
    wk[static_cast<std::size_t>(i)] =
        -modulus({wr[static_cast<std::size_t>(i) + 1], wi[static_cast<std::size_t>(i) + 1]});
    iperm[static_cast<std::size_t>(i)] = i + 1;
  }
  DSVRGP(n, wk.data(), wk.data(), iperm.data());
  for (int j = 0; j < n; ++j) {
    const int from = iperm[static_cast<std::size_t>(j)];
    eval[j] = {wr[static_cast<std::size_t>(from)], wi[static_cast<std::size_t>(from)]};
    if (evec == nullptr) continue;
    zcomplex* v = evec + static_cast<std::size_t>(j) * static_cast<std::size_t>(ldevec);
    for (int i = 0; i < n; ++i) v[i] = z.get(i + 1, from);
  }

  // Unit length, largest component real and positive.
  for (int j = 0; evec != nullptr && j < n; ++j) {
    zcomplex* v = evec + static_cast<std::size_t>(j) * static_cast<std::size_t>(ldevec);
    const double s = DZNRM2(n, v, 1);
    if (s > 0.0) ZDSCAL(n, 1.0 / s, v, 1);
    int k = 0;
    double largest = -1.0;
    for (int i = 0; i < n; ++i) {
      const double m2 = v[i].real() * v[i].real() + v[i].imag() * v[i].imag();
      if (m2 > largest) {
        largest = m2;
        k = i;
      }
    }
    const double vk = modulus(v[k]);
    if (vk != 0.0) {
      ZSCAL(n, std::conj(v[k]) / vk, v, 1);
      v[k] = {v[k].real(), 0.0};
    }
  }
  E1POP("DE6CCG");
}

}  // namespace

void DSVRGP(int n, const double* ra, double* rb, int* iperm) {
  if (n < 1) {
    E1PSH("DSVRGP");
    E1STI(1, n);
    E1MES(ErrorType::terminal, 1, msg::kDsvrgpLength);
    E1POP("DSVRGP");
    return;
  }
  if (rb != ra) DCOPY(n, ra, 1, rb, 1);
  if (n == 1) return;
  // 1-based views.
  double* x = rb - 1;
  int* y = iperm - 1;
  const auto swap_xy = [&](int p, int q) {
    std::swap(x[p], x[q]);
    std::swap(y[p], y[q]);
  };
  // Bounds of the portions still to be sorted; the smaller part is sorted
  // first, so the stack depth stays below log2(n).
  int il[64], iu[64];
  int m = 1, i = 1, j = n;
  // The pseudo-random position of the partition element, as a fraction of
  // the portion; stepped once per sort.
  double r = 0.375;
  r = r <= 0.5898437 ? r + 3.90625e-2 : r - 0.21875;
  for (;;) {
    while (j - i >= 1) {
      int k = i;
      const int ij = i + static_cast<int>((j - i) * r);
      double t = x[ij];
      if (x[i] > t) {
        swap_xy(ij, i);
        t = x[ij];
      }
      int l = j;
      if (x[j] < t) {
        swap_xy(ij, j);
        t = x[ij];
        if (x[i] > t) {
          swap_xy(ij, i);
          t = x[ij];
        }
      }
      for (;;) {
        do {
          --l;
        } while (x[l] > t);
        do {
          ++k;
        } while (x[k] < t);
        if (k > l) break;
        swap_xy(l, k);
      }
      if (l - i > j - k) {
        il[m - 1] = i;
        iu[m - 1] = l;
        i = k;
      } else {
        il[m - 1] = k;
        iu[m - 1] = j;
        j = l;
      }
      ++m;
    }
    --m;
    if (m == 0) return;
    i = il[m - 1];
    j = iu[m - 1];
  }
}

namespace {

// The checks and the pipeline of DEVCCG (evec != nullptr) and DEVLCG.
void eigen_of_general_matrix(int n, const zcomplex* a, int lda, zcomplex* eval, zcomplex* evec, int ldevec) {
  if (n < 1) {
    E1STI(1, n);
    E1MES(ErrorType::terminal, 1, msg::kDevccgOrder);
    return;
  }
  // A matrix with an entry that is not a number or infinite has no
  // eigenvalues to find; the iteration could only spend its budget on it.
  if (lda >= n) {
    for (int j = 0; j < n; ++j) {
      for (int i = 0; i < n; ++i) {
        const zcomplex v = a[static_cast<std::size_t>(j) * static_cast<std::size_t>(lda) + static_cast<std::size_t>(i)];
        if (std::isfinite(v.real()) && std::isfinite(v.imag())) continue;
        E1STI(1, i + 1);
        E1STI(2, j + 1);
        E1MES(ErrorType::terminal, 3, msg::kDevccgNotFinite);
        return;
      }
    }
  }
  try {
    DE6CCG(n, a, lda, eval, evec, ldevec, n);
  } catch (const std::bad_alloc&) {
    E1STI(1, n);
    E1MES(ErrorType::terminal, 2, msg::kDevccgStorage);
  }
}

}  // namespace

void DEVCCG(int n, const zcomplex* a, int lda, zcomplex* eval, zcomplex* evec, int ldevec) {
  E1PSH("DEVCCG");
  eigen_of_general_matrix(n, a, lda, eval, evec, ldevec);
  E1POP("DEVCCG");
}

void DEVLCG(int n, const zcomplex* a, int lda, zcomplex* eval) {
  E1PSH("DEVLCG");
  eigen_of_general_matrix(n, a, lda, eval, nullptr, n);
  E1POP("DEVLCG");
}

}  // namespace zelvan::numlib
