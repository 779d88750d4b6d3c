; Start at login for every user of this PC. An optional page of the installer shows the devices
; that start for all users already, as the installed orvane-monitor-autostart lists them, and
; takes the addresses of those that are to start: a device entered there starts, one taken out
; no longer does. A silent install takes the devices to start as /ADDRESSES=a,b and leaves the
; others as they are. The installer is machine-wide, so the helper enables them for all users
; (HKLM\...\Run); its own rule decides which address is valid. The uninstaller removes every
; start for all users that names this installation's monitor, whoever wrote it.
;
; Included by the installer script that CPack makes (packaging/windows/CMakeLists.txt); expects
; START_AT_LOGIN_HELPER and START_AT_LOGIN_MONITOR (the programs below $INSTDIR).

!include nsDialogs.nsh
!include FileFunc.nsh
!include WordFunc.nsh

!define START_AT_LOGIN_EXPLANATION "The IPv4 addresses of the devices, separated by commas, such as 192.168.1.10, 192.168.1.11. Each device gets a monitor of its own at every login. The devices that start already are shown: take one out to stop it, or empty the field to start none. Each user can still choose devices with orvane-monitor-autostart --enable."
!define START_AT_LOGIN_REFUSED "These are no device addresses, so they do not start at login:"
!define START_AT_LOGIN_FAILED "These devices could not be set to start at login (orvane-monitor-autostart --all-users --enable ADDRESS, as administrator, says why):"
!define START_AT_LOGIN_NOT_STOPPED "These devices could not be stopped from starting at login (orvane-monitor-autostart --all-users --disable ADDRESS, as administrator, says why):"
!define START_AT_LOGIN_RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define START_AT_LOGIN_NOT_REMOVED "These starts at login could not be removed from HKEY_LOCAL_MACHINE\${START_AT_LOGIN_RUN_KEY}:"
; Where Windows' startup settings note that they switched a Run value off.
!define START_AT_LOGIN_SWITCH_KEY "Software\Microsoft\Windows\CurrentVersion\Explorer\StartupApproved\Run"

Var StartAtLoginAddresses ; as the page's field or /ADDRESSES= gave them
Var StartAtLoginShown     ; the devices that started for all users when the page showed them
Var StartAtLoginKept      ; the addresses to start as ",a,b,", to look the shown ones up in
Var StartAtLoginField

; Addresses are separated by commas or blanks.
!macro StartAtLoginIsSeparator CHAR LABEL
  StrCmp ${CHAR} "," ${LABEL}
  StrCmp ${CHAR} " " ${LABEL}
!macroend

; Calls the function FUNCTION with each address of LIST in $R1; FUNCTION keeps $R0 and $R2.
!macro StartAtLoginForEach LIST FUNCTION
  Push $R0
  Push $R1
  Push $R2
  Push $R3
  StrCpy $R0 "${LIST}"
  next:
    StrCmp $R0 "" done
    StrCpy $R2 0
    scan:
      StrCpy $R3 $R0 1 $R2
      StrCmp $R3 "" cut
      !insertmacro StartAtLoginIsSeparator $R3 cut
      IntOp $R2 $R2 + 1
      Goto scan
    cut:
    StrCpy $R1 $R0 $R2
    IntOp $R2 $R2 + 1
    StrCpy $R0 $R0 "" $R2
    StrCmp $R1 "" +2
      Call ${FUNCTION}
    Goto next
  done:
  Pop $R3
  Pop $R2
  Pop $R1
  Pop $R0
!macroend

; The devices that start for all users already, as "a, b" in $StartAtLoginShown: the installed
; helper lists each as "ADDRESS (all users)", and one that does not start with the reason in the
; parentheses as well. None before the first installation.
Function StartAtLoginListShown
  StrCpy $StartAtLoginShown ""
  nsExec::ExecToStack '"$INSTDIR\${START_AT_LOGIN_HELPER}" --all-users --list'
  Pop $0
  Pop $1
  StrCmp $0 0 0 done
  StrCpy $2 1
  line:
    ClearErrors
    ${WordFind} "$1" "$\n" "E+$2" $3
    IfErrors done
    IntOp $2 $2 + 1
    StrCpy $4 $3 1 -1
    StrCmp $4 "$\r" 0 +2
      StrCpy $3 $3 -1
    StrCpy $4 $3 "" -12
    StrCmp $4 " (all users)" 0 line
    StrCpy $3 $3 -12
    StrCmp $StartAtLoginShown "" 0 +3
      StrCpy $StartAtLoginShown $3
      Goto line
    StrCpy $StartAtLoginShown "$StartAtLoginShown, $3"
    Goto line
  done:
FunctionEnd

Function StartAtLoginPage
  !insertmacro MUI_HEADER_TEXT "Start at login" \
    "Which devices Orvane Monitor watches from the login of every user of this PC"
  nsDialogs::Create 1018
  Pop $0
  Call StartAtLoginListShown
  ${If} $StartAtLoginAddresses == ""
    ${GetParameters} $0
    ${GetOptions} $0 "/ADDRESSES=" $StartAtLoginAddresses
    ${If} $StartAtLoginAddresses == ""
      StrCpy $StartAtLoginAddresses $StartAtLoginShown
    ${ElseIf} $StartAtLoginShown != ""
      StrCpy $StartAtLoginAddresses "$StartAtLoginShown, $StartAtLoginAddresses"
    ${EndIf}
  ${EndIf}
  ${NSD_CreateLabel} 0 0 100% 48u "${START_AT_LOGIN_EXPLANATION}"
  Pop $0
  ${NSD_CreateText} 0 52u 100% 12u "$StartAtLoginAddresses"
  Pop $StartAtLoginField
  ${NSD_SetFocus} $StartAtLoginField
  nsDialogs::Show
FunctionEnd

; A blank after the field's text, which separates nothing, marks that the page ran: a field left
; empty then starts none, rather than what /ADDRESSES= gave.
Function StartAtLoginPageLeave
  ${NSD_GetText} $StartAtLoginField $StartAtLoginAddresses
  StrCpy $StartAtLoginAddresses "$StartAtLoginAddresses "
FunctionEnd

; One address in $R1: enabled for all users and kept, or added to the refused ones (exit status
; 2: no address) in $6 or the failed ones in $7. The helper's lines go to the installer's details
; rather than to a console window of their own.
Function StartAtLoginEnableOne
  StrCpy $StartAtLoginKept "$StartAtLoginKept$R1,"
  nsExec::ExecToLog '"$INSTDIR\${START_AT_LOGIN_HELPER}" --all-users --enable "$R1"'
  Pop $0
  ${If} $0 == 2
    StrCpy $6 "$6 $R1"
  ${ElseIf} $0 != 0
    StrCpy $7 "$7 $R1"
  ${EndIf}
FunctionEnd

; One address in $R1 that the page showed: disabled for all users unless it is still to start,
; or added to the ones that could not be stopped in $8.
Function StartAtLoginDisableDropped
  ClearErrors
  ${WordFind} "$StartAtLoginKept" ",$R1," "E*" $0
  ${IfNot} ${Errors}
    Return
  ${EndIf}
  nsExec::ExecToLog '"$INSTDIR\${START_AT_LOGIN_HELPER}" --all-users --disable "$R1"'
  Pop $0
  ${If} $0 != 0
    StrCpy $8 "$8 $R1"
  ${EndIf}
FunctionEnd

; The devices that the page showed and that are no longer in its field, in a function of their
; own, as the loop's labels are once per function.
Function StartAtLoginStopDropped
  !insertmacro StartAtLoginForEach $StartAtLoginShown StartAtLoginDisableDropped
FunctionEnd

Function EnableStartAtLogin
  ${If} $StartAtLoginAddresses == ""
    ${GetParameters} $0
    ${GetOptions} $0 "/ADDRESSES=" $StartAtLoginAddresses
  ${EndIf}
  StrCpy $StartAtLoginKept ","
  StrCpy $6 ""
  StrCpy $7 ""
  StrCpy $8 ""
  !insertmacro StartAtLoginForEach $StartAtLoginAddresses StartAtLoginEnableOne
  Call StartAtLoginStopDropped
  ${If} $6 != ""
    MessageBox MB_OK|MB_ICONEXCLAMATION "${START_AT_LOGIN_REFUSED}$6" /SD IDOK
    SetErrorLevel 2
  ${EndIf}
  ${If} $7 != ""
    MessageBox MB_OK|MB_ICONEXCLAMATION "${START_AT_LOGIN_FAILED}$7" /SD IDOK
    SetErrorLevel 1
  ${EndIf}
  ${If} $8 != ""
    MessageBox MB_OK|MB_ICONEXCLAMATION "${START_AT_LOGIN_NOT_STOPPED}$8" /SD IDOK
    SetErrorLevel 1
  ${EndIf}
FunctionEnd

; Every Run value for all users whose command starts this installation's monitor, quoted or not,
; goes with the note Windows' startup settings may keep of it; the names of those that stay are
; gathered in $6. A value that goes gives its index to the next one.
Function un.DisableStartAtLogin
  StrCpy $5 "$INSTDIR\${START_AT_LOGIN_MONITOR}"
  StrLen $4 $5
  StrCpy $6 ""
  StrCpy $R0 0
  value:
    ClearErrors
    EnumRegValue $R1 HKLM "${START_AT_LOGIN_RUN_KEY}" $R0
    IfErrors done
    StrCmp $R1 "" done
    IntOp $R0 $R0 + 1
    ReadRegStr $R2 HKLM "${START_AT_LOGIN_RUN_KEY}" $R1
    StrCpy $R3 $R2 1
    StrCmp $R3 '"' 0 +2
      StrCpy $R2 $R2 "" 1
    StrCpy $R3 $R2 $4
    StrCmp $R3 $5 0 value
    StrCpy $R3 $R2 1 $4
    StrCmp $R3 '"' +3
    StrCmp $R3 " " +2
    StrCmp $R3 "" 0 value
    ClearErrors
    DeleteRegValue HKLM "${START_AT_LOGIN_RUN_KEY}" $R1
    IfErrors 0 +3
      StrCpy $6 '$6 "$R1"'
      Goto value
    DeleteRegValue HKLM "${START_AT_LOGIN_SWITCH_KEY}" $R1
    IntOp $R0 $R0 - 1
    Goto value
  done:
  ${If} $6 != ""
    MessageBox MB_OK|MB_ICONEXCLAMATION "${START_AT_LOGIN_NOT_REMOVED}$6" /SD IDOK
    SetErrorLevel 1
  ${EndIf}
FunctionEnd
