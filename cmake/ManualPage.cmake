# Writes the manual page of horunea-cli from its --help, so the two cannot
# drift: cmake -DCLI=path/to/horunea-cli -DVERSION=x.y.z -DOUTPUT=horunea-cli.1 -P ManualPage.cmake
execute_process(COMMAND ${CLI} --help OUTPUT_VARIABLE help RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "horunea-cli --help failed: ${status}")
endif()
# roff: a backslash is \e; a line may not start with a dot or an apostrophe.
string(REPLACE "\\" "\\e" help "${help}")
string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" help "${help}")
string(REGEX REPLACE "\n$" "" help "${help}")
file(WRITE ${OUTPUT} ".\\\" Made from horunea-cli --help at build time; edit the program's help instead.
.TH HORUNEA-CLI 1 \"\" \"horunea ${VERSION}\" \"ホルネア\"
.ad l
.nh
.SH NAME
horunea-cli \\- ホルネアのデータをコマンドラインで扱います
.SH SYNOPSIS
.B horunea-cli
[\\-\\-data\\-dir フォルダー] コマンド [引数]
.SH DESCRIPTION
ホルネアのウィンドウと同じ操作 (一覧、検索、帳票、アカウント、移行、変換、バックアップ) を
コマンドラインから行います。エラーは標準エラーに出し、失敗した時は 0 以外で終わり、何も書きません。
以下は
.B horunea-cli \\-\\-help
の表示です。
.PP
.nf
${help}
.fi
.SH FILES
.TP
.I $XDG_DATA_HOME/horunea
インストールしたプログラムのデータフォルダー (既定は ~/.local/share/horunea)。
main.mdb、ひな形の kelvo.mdb と care.mdb、アカウントのファイル (kelvo/, care/)。
")
