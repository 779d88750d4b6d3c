; Start at login for every user of this PC. An optional page of the installer asks for the
; addresses of the devices (none by default); a silent install takes them as /ADDRESSES=a,b. The
; installer is machine-wide, so orvane-monitor-autostart enables them for all users (HKLM\...\Run);
; its own rule decides which address is valid. The uninstall entry keeps the addresses it enabled,
; and the uninstaller disables exactly those.
;
; Included by the installer script that CPack makes (packaging/windows/CMakeLists.txt); expects
; START_AT_LOGIN_HELPER (the helper below $INSTDIR) and START_AT_LOGIN_KEY (the uninstall entry).

!include nsDialogs.nsh
!include FileFunc.nsh

!define START_AT_LOGIN_EXPLANATION "The IPv4 addresses of the devices, separated by commas, such as 192.168.1.10, 192.168.1.11. Each device gets a monitor of its own at every login. Leave the field empty to start none; each user can still choose devices with orvane-monitor-autostart --enable."
!define START_AT_LOGIN_REFUSED "These are no device addresses, so they do not start at login:"
!define START_AT_LOGIN_FAILED "These devices could not be set to start at login (orvane-monitor-autostart --all-users --enable ADDRESS, as administrator, says why):"
!define START_AT_LOGIN_NOT_REMOVED "These devices could not be removed from the start at login (orvane-monitor-autostart --all-users --list, as administrator, shows what is left):"

Var StartAtLoginAddresses ; as the user typed them, or as /ADDRESSES= gave them
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

Function StartAtLoginPage
  !insertmacro MUI_HEADER_TEXT "Start at login" \
    "Which devices Orvane Monitor watches from the login of every user of this PC"
  nsDialogs::Create 1018
  Pop $0
  ${If} $StartAtLoginAddresses == ""
    ${GetParameters} $0
    ${GetOptions} $0 "/ADDRESSES=" $StartAtLoginAddresses
  ${EndIf}
  ${NSD_CreateLabel} 0 0 100% 36u "${START_AT_LOGIN_EXPLANATION}"
  Pop $0
  ${NSD_CreateText} 0 40u 100% 12u "$StartAtLoginAddresses"
  Pop $StartAtLoginField
  nsDialogs::Show
FunctionEnd

Function StartAtLoginPageLeave
  ${NSD_GetText} $StartAtLoginField $StartAtLoginAddresses
FunctionEnd

; One address in $R1: enabled for all users and added to the uninstall list in $5, or added to
; the refused ones (exit status 2: no address) in $6 or the failed ones in $7. The helper's lines
; go to the installer's details rather than to a console window of their own.
Function StartAtLoginEnableOne
  nsExec::ExecToLog '"$INSTDIR\${START_AT_LOGIN_HELPER}" --all-users --enable "$R1"'
  Pop $0
  ${If} $0 == 0
    StrCpy $5 "$5,$R1"
  ${ElseIf} $0 == 2
    StrCpy $6 "$6 $R1"
  ${Else}
    StrCpy $7 "$7 $R1"
  ${EndIf}
FunctionEnd

Function EnableStartAtLogin
  ${If} $StartAtLoginAddresses == ""
    ${GetParameters} $0
    ${GetOptions} $0 "/ADDRESSES=" $StartAtLoginAddresses
  ${EndIf}
  ; What an earlier install enabled stays enabled and on the list.
  ReadRegStr $5 SHCTX "${START_AT_LOGIN_KEY}" "StartAtLogin"
  StrCpy $6 ""
  StrCpy $7 ""
  !insertmacro StartAtLoginForEach $StartAtLoginAddresses StartAtLoginEnableOne
  ${If} $5 != ""
    WriteRegStr SHCTX "${START_AT_LOGIN_KEY}" "StartAtLogin" "$5"
  ${EndIf}
  ${If} $6 != ""
    MessageBox MB_OK|MB_ICONEXCLAMATION "${START_AT_LOGIN_REFUSED}$6" /SD IDOK
    SetErrorLevel 2
  ${EndIf}
  ${If} $7 != ""
    MessageBox MB_OK|MB_ICONEXCLAMATION "${START_AT_LOGIN_FAILED}$7" /SD IDOK
    SetErrorLevel 1
  ${EndIf}
FunctionEnd

; One address in $R1: disabled for all users, or added to the ones left in $6.
Function un.StartAtLoginDisableOne
  nsExec::ExecToLog '"$INSTDIR\${START_AT_LOGIN_HELPER}" --all-users --disable "$R1"'
  Pop $0
  ${If} $0 != 0
    StrCpy $6 "$6 $R1"
  ${EndIf}
FunctionEnd

Function un.DisableStartAtLogin
  ReadRegStr $5 SHCTX "${START_AT_LOGIN_KEY}" "StartAtLogin"
  StrCpy $6 ""
  !insertmacro StartAtLoginForEach $5 un.StartAtLoginDisableOne
  ${If} $6 != ""
    MessageBox MB_OK|MB_ICONEXCLAMATION "${START_AT_LOGIN_NOT_REMOVED}$6" /SD IDOK
    SetErrorLevel 1
  ${EndIf}
FunctionEnd
