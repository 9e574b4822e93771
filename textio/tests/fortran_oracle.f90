! Formats values with the Fortran runtime, as the reference for the
! differential test of the field editing.
!
! Each line of standard input is "<descriptor> <kind> <value>": kind R
! gives a double as the decimal integer of its 64-bit pattern (so that no
! decimal conversion rounds on the way in), kind I a default integer.
! Each output line is the field written with that descriptor between two
! bars, e.g. "|   1.00000E+00|".
program fortran_oracle
  implicit none
  integer, parameter :: max_line = 256
  character(len=max_line) :: line, field
  character(len=32) :: descriptor, kind, value_text
  integer(kind=8) :: bits
  integer :: number, status, first, second

  do
    read (*, '(A)', iostat=status) line
    if (status /= 0) exit
    line = adjustl(line)
    first = index(line, ' ')
    descriptor = line(1:first - 1)
    line = adjustl(line(first:))
    second = index(line, ' ')
    kind = line(1:second - 1)
    value_text = adjustl(line(second:))
    if (kind == 'R') then
      read (value_text, *) bits
      write (field, '("|",' // trim(descriptor) // ',"|")') transfer(bits, 1.0d0)
    else
      read (value_text, *) number
      write (field, '("|",' // trim(descriptor) // ',"|")') number
    end if
    write (*, '(A)') trim(field)
  end do
end program fortran_oracle
