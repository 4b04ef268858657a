! A host written in Fortran against the installed package: it uses the interface module
! gyrix_solver (include/gyrix_solver.f90) and links the import library (with MinGW:
!   i686-w64-mingw32-gfortran -static -I. PREFIX/include/gyrix_solver.f90 kit_host.f90 \
!     PREFIX/lib/libgyrix_solver.dll.a
! ), calls each kind of entry point (a dispatcher by its routes and a number without one,
! entry points without routines, the filter, the start-up, the version report) and prints
! what each call did, as the stand-ins' journal tells it. Its transcript is the C host's:
! examples/kit_host.transcript.
module kit_steering
  use, intrinsic :: iso_c_binding
  implicit none
  ! The stand-ins' journal and switches (standins/journal/journal.h), which steer the
  ! run, and the C run-time's putenv and fflush: plain C routines.
  interface
    function journal_size() bind(c, name='journal_size')
      import :: c_int32_t
      integer(c_int32_t) :: journal_size
    end function journal_size
    ! An entry begins with the name of the routine that was called.
    function journal_entry(index) bind(c, name='journal_entry')
      import :: c_int32_t, c_ptr
      integer(c_int32_t), value :: index
      type(c_ptr) :: journal_entry
    end function journal_entry
    subroutine journal_clear() bind(c, name='journal_clear')
    end subroutine journal_clear
    subroutine standin_set_errmes_returns(returns) bind(c, name='standin_set_errmes_returns')
      import :: c_int32_t
      integer(c_int32_t), value :: returns
    end subroutine standin_set_errmes_returns
    function putenv(setting) bind(c, name='putenv')
      import :: c_char, c_int
      character(kind=c_char), dimension(*), intent(in) :: setting
      integer(c_int) :: putenv
    end function putenv
    function fflush(stream) bind(c, name='fflush')
      import :: c_int, c_ptr
      type(c_ptr), value :: stream
      integer(c_int) :: fflush
    end function fflush
  end interface

contains

  subroutine say(text)
    use, intrinsic :: iso_fortran_env, only: output_unit
    character(*), intent(in) :: text
    write (output_unit, '(a)') text
    flush (output_unit)
  end subroutine say

  ! Before a call: its line, and an empty journal.
  subroutine calling(what)
    character(*), intent(in) :: what
    call say('> '//what)
    call journal_clear()
  end subroutine calling

  ! After a call: the routines that it reached.
  subroutine reached()
    character(len=256) :: line
    character(kind=c_char), pointer :: name(:)
    integer :: i, k
    line = '  reached:'
    do i = 0, journal_size() - 1
      call c_f_pointer(journal_entry(i), name, [16])
      k = len_trim(line) + 2
      do while (name(1) /= c_null_char)
        line(k:k) = name(1)
        k = k + 1
        name => name(2:)
      end do
    end do
    call say(trim(line))
  end subroutine reached

  function par_line(name, value) result(line)
    character(*), intent(in) :: name
    real(c_double), intent(in) :: value
    character(len=64) :: line
    write (line, '(a, " with PAR(1) = ", f0.1)') name, value
  end function par_line
end module kit_steering

program kit_host
  use, intrinsic :: iso_c_binding
  use gyrix_solver
  use kit_steering
  implicit none
  integer(c_int32_t) :: w(16), status, shown
  real(c_double) :: par(2), version
  real(c_double), parameter :: miss = 902
  character(len=64) :: line
  integer :: i
  character(kind=c_char, len=*), parameter :: uvchek_no = 'QAV_VELTA_MSG_UVCHEK=NO'//c_null_char
  character(kind=c_char, len=*), parameter :: uvchek_unset = 'QAV_VELTA_MSG_UVCHEK='//c_null_char
  character(kind=c_char, len=*), parameter :: dffdep_yes = 'ZUN_TOLK_DFFDEP_WARN=yes'//c_null_char
  character(kind=c_char, len=*), parameter :: dffdep_unset = 'ZUN_TOLK_DFFDEP_WARN='//c_null_char

  w = 0
  call say('a host against the installed gyrix_solver; ERRMES told to return')
  call standin_set_errmes_returns(1)

  call calling('CAR_INIT')
  call car_init()
  call reached()
  call calling('TK_GYRX_TIRINIT')
  status = tk_gyrx_tirinit()
  write (line, '("  status ", i0)') status
  call say(trim(line))
  call reached()

  ! Every dispatcher: a route, then a routine number without one.
  do i = 1, 2
    par(1) = merge(900.0_c_double, miss, i == 1)
    call calling(trim(par_line('CONSUB', par(1))))
    call consub(par, w(2))
    call reached()
  end do
  do i = 1, 2
    par(1) = merge(1117.0_c_double, miss, i == 1)
    call calling(trim(par_line('DIFSUB', par(1))))
    call difsub(w(1), w(2), par, w(4), w(5), w(6), w(7))
    call reached()
  end do
  do i = 1, 2
    par(1) = merge(910.0_c_double, miss, i == 1)
    call calling(trim(par_line('FIESUB', par(1))))
    call fiesub(w(1), w(2), par, w(4), w(5), w(6), w(7), w(8), w(9), w(10), w(11))
    call reached()
  end do
  do i = 1, 2
    par(1) = merge(904.0_c_double, miss, i == 1)
    call calling(trim(par_line('REQSUB', par(1))))
    call reqsub(w(1), w(2), par, w(4), w(5), w(6))
    call reached()
  end do
  do i = 1, 2
    par(1) = merge(901.5_c_double, miss, i == 1)
    call calling(trim(par_line('SFOSUB', par(1))))
    call sfosub(w(1), w(2), par, w(4), w(5), w(6), w(7))
    call reached()
  end do
  do i = 1, 2
    par(1) = merge(913.0_c_double, miss, i == 1)
    call calling(trim(par_line('VARSUB', par(1))))
    call varsub(w(1), w(2), par, w(4), w(5), w(6), w(7))
    call reached()
  end do

  ! Every entry point without routines: each ends in its report.
  call calling('BRASUB')
  call brasub(w(1), w(2), w(3), w(4), w(5), w(6), w(7))
  call calling('COUSUB')
  call cousub(w(1), w(2), w(3), w(4), w(5), w(6), w(7), w(8))
  call calling('COUXX')
  call couxx(w(1), w(2), w(3), w(4), w(5), w(6), w(7), w(8))
  call calling('COUXX2')
  call couxx2(w(1), w(2), w(3), w(4), w(5), w(6), w(7), w(8))
  call calling('CURSUB')
  call cursub(w(1), w(2), w(3), w(4), w(5), w(6), w(7))
  call calling('DMPSUB')
  call dmpsub(w(1), w(2), w(3), w(4), w(5), w(6), w(7), w(8))
  call calling('GFOSUB')
  call gfosub(w(1), w(2), w(3), w(4), w(5), w(6), w(7))
  call calling('GSESUB')
  call gsesub(w(1), w(2), w(3), w(4), w(5), w(6), w(7), w(8), w(9), w(10), w(11), w(12), w(13))
  call calling('MFOSUB')
  call mfosub(w(1), w(2), w(3), w(4), w(5), w(6), w(7), w(8), w(9), w(10), w(11), w(12))
  call calling('MOTSUB')
  call motsub(w(1), w(2), w(3), w(4), w(5), w(6), w(7))
  call calling('SENSUB')
  call sensub(w(1), w(2), w(3), w(4), w(5), w(6))
  call calling('STRSUB')
  call strsub(w(1), w(2), w(3), w(4), w(5), w(6), w(7))
  call calling('THRSUB')
  call thrsub(w(1), w(2), w(3), w(4), w(5), w(6), w(7))
  call calling('TIRSUB')
  call tirsub(w(1), w(2), w(3), w(4), w(5), w(6), w(7), w(8), w(9), w(10), w(11), w(12), w(13), &
              w(14), w(15), w(16))
  call calling('UCOSUB')
  call ucosub(w(1), w(2), w(3), w(4), w(5), w(6), w(7), w(8), w(9), w(10))
  call calling('VFOSUB')
  call vfosub(w(1), w(2), w(3), w(4), w(5), w(6), w(7))
  call calling('VTOSUB')
  call vtosub(w(1), w(2), w(3), w(4), w(5), w(6), w(7))
  call calling('CNFSUB')
  call cnfsub(w(1), w(2), w(3), w(4), w(5), w(6), w(7), w(8), w(9), w(10), w(11), w(12), w(13), &
              w(14), w(15))
  call calling('CFFSUB')
  call cffsub(w(1), w(2), w(3), w(4), w(5), w(6), w(7), w(8), w(9), w(10), w(11), w(12), w(13))

  ! The filter, its switches set and unset. "NAME=" removes NAME on Windows and leaves
  ! it empty on Linux: both read as blanks.
  call filter('UVCHEK', 'BIG_DIFF', '')
  call filter('UVCHEK', 'BIG_DIFF', uvchek_no)
  call filter('UVCHEK', 'BIG_DIFF', uvchek_unset)
  call filter('DFFDEP', 'OLD.NE.NU', dffdep_yes)
  call filter('DFFDEP', 'OLD.NE.NU', dffdep_unset)
  call filter('MOTFCH', 'MOTDEP', '')
  call filter('ABCDEF', 'ANY', '')

  call calling('gyrix_solver_version')
  version = gyrix_solver_version()
  status = fflush(c_null_ptr) ! the report went to the C run-time's standard output
  write (line, '("  returned ", f0.4)') version
  if (version /= 20080306.152_c_double) line = trim(line)//' (not the compile version)'
  call say(trim(line))
  call say('end')

contains

  subroutine filter(msgid, subid, setting)
    character(*), intent(in) :: msgid, subid
    character(kind=c_char, len=*), intent(in) :: setting
    if (len(setting) > 0) then
      status = putenv(setting)
      call calling('USR_MSGFILTER '//msgid//' '//subid//', '//setting(:len(setting) - 1))
    else
      call calling('USR_MSGFILTER '//msgid//' '//subid)
    end if
    shown = usr_msgfilter(msgid, len(msgid), subid, len(subid))
    write (line, '("  answer ", i0)') shown
    call say(trim(line))
    call reached()
  end subroutine filter
end program kit_host
