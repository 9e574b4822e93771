# zelvan.gp: the figures of a ZELVAN run, drawn by gnuplot (5.2 or later).
# The program runs it at the end of the run unless ZELVAN_PLOT=0.  To draw the
# figures again, run in the folder of the run:
#     gnuplot zelvan.gp                          PNG figures and zelvan.pdf
#     gnuplot -e "format='svg'" zelvan.gp        SVG figures instead of PNG
#     gnuplot -e "width=1600; height=1000" zelvan.gp   another figure size
# It reads zelvan.dat zelvan_fl.dat zelvan_flutter.dat zelvan_lco.dat and writes
#     zelvan-time.png zelvan-spectrum.png zelvan-phase.png zelvan-flutter.png zelvan-lco.png zelvan.pdf

if (!exists("format")) format = "png"
if (!exists("out_prefix")) out_prefix = ""
if (!exists("width")) width = 1200
if (!exists("height")) height = 800

case_title = 'Cubic pitch spring, limit cycles'
if (!exists("data_file")) data_file = 'zelvan.dat'
if (!exists("state_space_file")) state_space_file = 'zelvan_ss.dat'
if (!exists("table_file")) table_file = 'zelvan_fl.dat'
if (!exists("solution_file")) solution_file = 'zelvan_flutter.dat'
if (!exists("lco_file")) lco_file = 'zelvan_lco.dat'
t_A = 0.00000000E+00   # s, the time axis
t_E = 2.0000000
a_0 = 0.00000000E+00   # N, harmonic force a_0 cos(2 pi f_0 t + phi)
f_0 = 0.00000000E+00   # Hz
phi = 0.00000000E+00   # deg

# The result files are fixed-column records.  A line is read whole (no line
# holds "|") and cut into its fields at fixed columns, counted from the end
# of the line because gnuplot drops the blanks at its start.  A field of
# asterisks (a value without a numeric value, or too wide for its field)
# is undefined (1/0): the point is left out, never drawn as zero.
set datafile separator "|"
field_value(t) = (strstrt(t, "*") > 0 || words(t) == 0) ? 1/0 : real(with_e(word(t, 1)))
# An exponent of three digits stands without its E (1.00000+100).
with_e(w) = (strstrt(w, "E") > 0 || sign_at(w) == 0) ? w : w[1:sign_at(w) - 1] . "E" . w[sign_at(w):]
sign_at(w) = strstrt(w[2:], "+") > 0 ? strstrt(w[2:], "+") + 1 : (strstrt(w[2:], "-") > 0 ? strstrt(w[2:], "-") + 1 : 0)
# The field of line s that starts a and ends b characters before its end.
cut(s, a, b) = strlen(s) <= b ? 1/0 : field_value(s[(strlen(s) > a ? strlen(s) - a + 1 : 1):strlen(s) - b])
# zelvan.dat: 5 header lines, then records of 17 fields of 14 characters.
dat(n) = cut(strcol(1), 14 * (18 - n), 14 * (17 - n))
# zelvan_ss.dat: 5 header lines, then records of 7 fields of 14 characters.
ssd(n) = cut(strcol(1), 14 * (8 - n), 14 * (7 - n))
# zelvan_fl.dat: 4 header lines, then rows of 17 fields of 12 characters.
tab(n) = cut(strcol(1), 12 * (18 - n), 12 * (17 - n))
# zelvan_flutter.dat, the tracked-mode blocks: q, u, then for each mode f, d, g, k and its
# column number; the characters after each field and its width.
array solution_after[12] = [134, 120, 106, 92, 78, 64, 60, 46, 32, 18, 4, 0]
array solution_width[12] = [14, 14, 14, 14, 14, 14, 4, 14, 14, 14, 14, 4]
sol(n) = cut(strcol(1), solution_after[n] + solution_width[n], solution_after[n])
# zelvan_lco.dat: the sweep rows (V, u, q, start, state, A_h, A_theta, f, A_theta_hb) and the
# harmonic-balance curve (A_theta, V, stable); the characters after each field
# and its width.
array lco_after[9] = [102, 88, 74, 68, 56, 42, 28, 14, 0]
array lco_width[9] = [14, 14, 14, 6, 12, 14, 14, 14, 14]
array lco_curve_after[3] = [28, 14, 0]
array lco_curve_width[3] = [14, 14, 14]
lco(n) = cut(strcol(1), lco_after[n] + lco_width[n], lco_after[n])
# The state of a sweep row (field 5): a cycle, or the last amplitude of a march that did not settle
# (rest and divergence have no amplitude).
lco_state(s) = s[strlen(s) - lco_after[5] - lco_width[5] + 1:strlen(s) - lco_after[5]]
is_cycle(s) = strstrt(lco_state(s), 'cycle') > 0
lcc(n) = cut(strcol(1), lco_curve_after[n] + lco_curve_width[n], lco_curve_after[n])

$anchor << EOD
0|0
EOD
$time_anchor << EOD
0.00000000E+00|0
EOD
$critical << EOD
238.44341|0.00000000E+00|6.0677859
EOD
$pk_critical << EOD
196.55765|0.00000000E+00|5.2325563
EOD
$state_space_critical << EOD
196.55746|0.00000000E+00|5.2327813
EOD
$matched << EOD
196.55765|0.00000000E+00|5.2325563
EOD

# Colours: plunge or the first mode, pitch or the second mode, the force,
# the structural frequencies, the coupling line, flutter marks, divergence.
set linetype 1 lc rgb '#0060ad' lw 1.5
set linetype 2 lc rgb '#dd181f' lw 1.5
set linetype 3 lc rgb '#2f8a2f' lw 1.5
set linetype 4 lc rgb '#707070' lw 1.2
set linetype 5 lc rgb '#e08000' lw 1.5
set linetype 6 lc rgb '#000000' lw 1.5
set linetype 7 lc rgb '#8a2be2' lw 1.5
# Settings every figure starts from.
common = "set encoding utf8; set datafile separator '|'; set grid lc rgb '#d8d8d8'; " . \
         "set key top right opaque box lc rgb '#b0b0b0' samplen 3 spacing 1.1; set tics nomirror; " . \
         "set border 3; set offsets 0, 0, graph 0.3, 0"

# Pass 1 writes one figure file each, pass 2 every figure and the parameter
# page into the PDF.
do for [pass = 1:2] {
  if (pass == 1) {
    if (format eq 'svg') {
      set terminal svg size width, height dynamic noenhanced font 'Sans,12' background rgb 'white'
    } else {
      set terminal pngcairo size width, height noenhanced font 'Sans,11'
    }
  } else {
    set terminal pdfcairo size 29.7cm, 21cm noenhanced font 'Sans,11'
    set output out_prefix . 'zelvan.pdf'
  }

  # ---- Time histories
  if (pass == 1) { set output out_prefix . 'zelvan-time.' . format }
  reset
  eval common
  set multiplot layout 3, 1 margins 0.1, 0.97, 0.09, 0.88 spacing 0, 0.025 title "Time histories\n" . case_title
  set xrange [t_A:t_E]
  set format x ''
  set ylabel 'plunge Y3 [m]'
  plot state_space_file skip 5 using (ssd(1)):(ssd(4)) with lines lt 1 title 'plunge displacement, state space', \
       data_file skip 5 using (dat(1)):(dat(4)) with lines lt 1 dt 2 title 'plunge displacement, coefficients frozen at w_star', \
       $time_anchor using 1:2 with dots lc bgnd notitle
  set ylabel 'pitch Y4 [m]'
  plot state_space_file skip 5 using (ssd(1)):(ssd(5)) with lines lt 2 title 'pitch displacement, state space', \
       data_file skip 5 using (dat(1)):(dat(5)) with lines lt 2 dt 2 title 'pitch displacement, coefficients frozen at w_star', \
       $time_anchor using 1:2 with dots lc bgnd notitle
  set ylabel 'velocity [m/s]'
  set format x '% h'
  set xlabel 't [s]'
  plot state_space_file skip 5 using (ssd(1)):(ssd(2)) with lines lt 1 title 'plunge velocity Y1, state space', \
       data_file skip 5 using (dat(1)):(dat(2)) with lines lt 1 dt 2 title 'plunge velocity Y1, coefficients frozen at w_star', \
       state_space_file skip 5 using (ssd(1)):(ssd(3)) with lines lt 2 title 'pitch velocity Y2, state space', \
       data_file skip 5 using (dat(1)):(dat(3)) with lines lt 2 dt 2 title 'pitch velocity Y2, coefficients frozen at w_star', \
       $time_anchor using 1:2 with dots lc bgnd notitle
  unset multiplot

  # ---- Spectra of the displacements
  if (pass == 1) { set output out_prefix . 'zelvan-spectrum.' . format }
  reset
  eval common
  set multiplot layout 2, 1 margins 0.1, 0.97, 0.09, 0.88 spacing 0, 0.025 title "Spectra of the displacements\n" . case_title
  set xrange [0:20.000000]
  set arrow 1 from first 1.9897730, graph 0 to first 1.9897730, graph 1 nohead lt 4 dt 2
  set arrow 2 from first 11.606355, graph 0 to first 11.606355, graph 1 nohead lt 4 dt 2
  set arrow 3 from first 4.0000000, graph 0 to first 4.0000000, graph 1 nohead lt 5 dt 4 lw 2
  set format x ''
  set ylabel 'normalised power [-]'
  plot data_file skip 5 every ::0::511 using (dat(6)):(dat(8)) with lines lt 1 title 'plunge displacement Y3', \
       1/0 with lines lt 4 dt 2 title 'structural frequencies 1.9898 Hz, 11.606 Hz', \
       1/0 with lines lt 5 dt 4 lw 2 title 'strong coupling at 4.0000 Hz', \
       $anchor using 1:2 with dots lc bgnd notitle
  set format x '% h'
  set xlabel 'f [Hz]'
  plot data_file skip 5 every ::0::511 using (dat(6)):(dat(10)) with lines lt 2 title 'pitch displacement Y4', \
       $anchor using 1:2 with dots lc bgnd notitle
  unset multiplot

  # ---- Phase plane
  if (pass == 1) { set output out_prefix . 'zelvan-phase.' . format }
  reset
  eval common
  set title "Phase plane\n" . case_title
  set xlabel 'plunge displacement Y3 [m]'
  set ylabel 'pitch displacement Y4 [m]'
  set xzeroaxis lt 4 lw 1
  set yzeroaxis lt 4 lw 1
  plot data_file skip 5 using (dat(4)):(dat(5)) with lines lt 1 title 'pitch against plunge', \
       '' skip 5 every ::0::0 using (dat(4)):(dat(5)) with points lt 6 pt 7 ps 1.5 title 'start, t = 0 s', \
       $anchor using 1:2 with dots lc bgnd notitle

  # ---- Flutter diagram: damping and frequency against the flow speed
  if (pass == 1) { set output out_prefix . 'zelvan-flutter.' . format }
  reset
  eval common
  set multiplot layout 2, 1 margins 0.1, 0.97, 0.33, 0.88 spacing 0, 0.025 title 'Flutter diagram: thin plate route, Ma = 0.000' . "\n" . case_title
  set key at screen 0.5, screen 0.012 center bottom vertical maxrows 11 font ',9' opaque box
  set offsets 0, 0, 0, 0
  set format x ''
  set xzeroaxis lt 6 lw 1
  set ylabel 'damping g = 2π·d/f [-]'
  set label 1 'd: decay rate [1/s], f: frequency [Hz]; g < 0: the mode grows' at graph 0.01, graph 0.93 left font ',9'
  plot solution_file index 0 using (sol(2)):(sol(5)) with lines lt 1 dt 2 title 'mode from f_0_1, sweep', \
       '' index 0 using (sol(2)):(sol(10)) with lines lt 2 dt 2 title 'mode from f_0_2, sweep', \
       '' index 2 using (sol(2)):(sol(5)) with linespoints lt 1 pt 7 ps 0.5 title 'mode from f_0_1, p-k', \
       '' index 2 using (sol(2)):(sol(10)) with linespoints lt 2 pt 7 ps 0.5 title 'mode from f_0_2, p-k', \
       '' index 'State-space model (p-method)' using (sol(2)):(sol(5)) with lines lt 1 lw 2.5 title 'mode from f_0_1, state space', \
       '' index 'State-space model (p-method)' using (sol(2)):(sol(10)) with lines lt 2 lw 2.5 title 'mode from f_0_2, state space', \
       $critical using 1:2 with points lt 6 pt 7 ps 2 title 'sweep estimate at w_star = 0.3000 (k frozen): q = 34824. N/m², u = 238.44 m/s, f = 6.0678 Hz, k = 0.0799', \
       $pk_critical using 1:2 with points lt 6 pt 6 ps 2.5 lw 2 title 'p-k critical point: q = 23664. N/m², u = 196.56 m/s, f = 5.2326 Hz, k = 0.0836', \
       $state_space_critical using 1:2 with points lt 6 pt 4 ps 2.5 lw 2 title 'state-space critical point: q = 23664. N/m², u = 196.56 m/s, f = 5.2328 Hz, k = 0.0836', \
       $matched using 1:2 with points lt 6 pt 8 ps 2.5 lw 2 title 'matched point: q = 23664. N/m², u = 196.56 m/s, f = 5.2326 Hz, k = 0.0836', \
       $anchor using 1:2 with dots lc bgnd notitle
  unset xzeroaxis
  unset label 1
  unset key
  set format x '% h'
  set xlabel 'flow speed u [m/s]'
  set ylabel 'frequency f [Hz]'
  plot solution_file index 0 using (sol(2)):(sol(3)) with lines lt 1 dt 2 title 'mode from f_0_1, sweep', \
       '' index 0 using (sol(2)):(sol(8)) with lines lt 2 dt 2 title 'mode from f_0_2, sweep', \
       '' index 2 using (sol(2)):(sol(3)) with linespoints lt 1 pt 7 ps 0.5 title 'mode from f_0_1, p-k', \
       '' index 2 using (sol(2)):(sol(8)) with linespoints lt 2 pt 7 ps 0.5 title 'mode from f_0_2, p-k', \
       '' index 'State-space model (p-method)' using (sol(2)):(sol(3)) with lines lt 1 lw 2.5 title 'mode from f_0_1, state space', \
       '' index 'State-space model (p-method)' using (sol(2)):(sol(8)) with lines lt 2 lw 2.5 title 'mode from f_0_2, state space', \
       $critical using 1:3 with points lt 6 pt 7 ps 2 title '', \
       $pk_critical using 1:3 with points lt 6 pt 6 ps 2.5 lw 2 title '', \
       $state_space_critical using 1:3 with points lt 6 pt 4 ps 2.5 lw 2 title '', \
       $matched using 1:3 with points lt 6 pt 8 ps 2.5 lw 2 title '', \
       $anchor using 1:2 with dots lc bgnd notitle
  unset multiplot

  # ---- Limit cycles: the pitch amplitude against the speed
  if (pass == 1) { set output out_prefix . 'zelvan-lco.' . format }
  reset
  eval common
  set title "Limit cycles: pitch amplitude against the speed\n" . case_title
  set xlabel 'speed V = U/(b ω_θ) [-]'
  set ylabel 'pitch amplitude, half the peak-to-peak [rad]'
  set key top left
  set offsets 0, 0, graph 0.05, 0
  set yrange [0:*]
  set xrange [4.7500000:10.250000]
  set arrow 1 from first 6.2566244, graph 0 to first 6.2566244, graph 1 nohead lt 7 dt 3 lw 2
  plot lco_file index 1 using (lcc(2)):(lcc(3) > 0.5 ? lcc(1) : 1/0) with lines lt 6 title 'harmonic balance, stable', \
       '' index 1 using (lcc(2)):(lcc(3) > 0.5 ? 1/0 : lcc(1)) with lines lt 6 dt 2 title 'harmonic balance, unstable', \
       '' index 0 every 2::0 using (lco(1)):(is_cycle(strcol(1)) ? lco(7) : 1/0) with points lt 2 pt 7 ps 1.3 title 'cycle, time marching from lco_theta0', \
       '' index 0 every 2::1 using (lco(1)):(is_cycle(strcol(1)) ? lco(7) : 1/0) with points lt 1 pt 6 ps 2 title 'cycle, time marching from 10 lco_theta0', \
       '' index 0 using (lco(1)):(is_cycle(strcol(1)) ? 1/0 : lco(7)) with points lt 4 pt 2 ps 1.3 title 'not settled: the last amplitude', \
       1/0 with lines lt 7 dt 3 lw 2 title 'linear flutter speed V = 6.2566'

  # ---- Parameter page (PDF only)
  if (pass == 2) {
    reset
    eval common
    unset border
    unset tics
    unset key
    unset grid
    set title "Parameters and results\n" . case_title font ',15'
    set label 1 'Case parameters' at screen 6.00000000E-02, screen 0.84000000 font ',16'
    set label 2 't_A = 0 s    t_E = 2.0000 s' at screen 6.00000000E-02, screen 0.78000000 font 'Mono,13'
    set label 3 'time points: 1024' at screen 6.00000000E-02, screen 0.74000000 font 'Mono,13'
    set label 4 'Y_0_1 = 1.00000E-02 m    Y*_0_1 = 0 m/s' at screen 6.00000000E-02, screen 0.70000000 font 'Mono,13'
    set label 5 'Y_0_2 = 0 m    Y*_0_2 = 0 m/s' at screen 6.00000000E-02, screen 0.66000000 font 'Mono,13'
    set label 6 'M_1 = 48.106 kg    M_2 = 6.0132 kg' at screen 6.00000000E-02, screen 0.62000000 font 'Mono,13'
    set label 7 'S_m = 12.026 kg' at screen 6.00000000E-02, screen 0.58000000 font 'Mono,13'
    set label 8 'D_1 = 0 kg/s    D_2 = 0 kg/s' at screen 6.00000000E-02, screen 0.54000000 font 'Mono,13'
    set label 9 'K_1 = 7596.5 kg/s²    K_2 = 23739. kg/s²' at screen 6.00000000E-02, screen 0.50000000 font 'Mono,13'
    set label 10 'K_m = 0 kg/s²    kappa = 0 kg/s²' at screen 6.00000000E-02, screen 0.46000000 font 'Mono,13'
    set label 11 'a_0 = 0 N    f_0 = 0 Hz' at screen 6.00000000E-02, screen 0.42000000 font 'Mono,13'
    set label 12 'phi = 0 deg' at screen 6.00000000E-02, screen 0.38000000 font 'Mono,13'
    set label 13 'f_s = 19000. N/m²' at screen 6.00000000E-02, screen 0.34000000 font 'Mono,13'
    set label 14 'w_star = 0.30000    x_p = 0.25000    Ma = 0' at screen 6.00000000E-02, screen 0.30000000 font 'Mono,13'
    set label 15 'Results' at screen 0.53000000, screen 0.84000000 font ',16'
    set label 16 'structural frequencies:' at screen 0.53000000, screen 0.78000000 font 'Mono,13'
    set label 17 '  f_0_1 = 1.9898 Hz    f_0_2 = 11.606 Hz' at screen 0.53000000, screen 0.74000000 font 'Mono,13'
    set label 18 'strong coupling at 4.0000 Hz' at screen 0.53000000, screen 0.70000000 font 'Mono,13'
    set label 19 'sweep estimate at w_star = 0.3000 (k frozen):' at screen 0.53000000, screen 0.66000000 font 'Mono,13'
    set label 20 '  q = 34824. N/m²    u = 238.44 m/s' at screen 0.53000000, screen 0.62000000 font 'Mono,13'
    set label 21 '  f = 6.0678 Hz    k = 0.0799' at screen 0.53000000, screen 0.58000000 font 'Mono,13'
    set label 22 'p-k critical point:' at screen 0.53000000, screen 0.54000000 font 'Mono,13'
    set label 23 '  q = 23664. N/m²    u = 196.56 m/s' at screen 0.53000000, screen 0.50000000 font 'Mono,13'
    set label 24 '  f = 5.2326 Hz    k = 0.0836' at screen 0.53000000, screen 0.46000000 font 'Mono,13'
    set label 25 'state-space critical point:' at screen 0.53000000, screen 0.42000000 font 'Mono,13'
    set label 26 '  q = 23664. N/m²    u = 196.56 m/s' at screen 0.53000000, screen 0.38000000 font 'Mono,13'
    set label 27 '  f = 5.2328 Hz    k = 0.0836' at screen 0.53000000, screen 0.34000000 font 'Mono,13'
    set label 28 'matched point:' at screen 0.53000000, screen 0.30000000 font 'Mono,13'
    set label 29 '  q = 23664. N/m²    u = 196.56 m/s' at screen 0.53000000, screen 0.26000000 font 'Mono,13'
    set label 30 '  f = 5.2326 Hz    k = 0.0836' at screen 0.53000000, screen 0.22000000 font 'Mono,13'
    plot [0:1][0:1] 1/0 notitle
  }
  unset output
}
