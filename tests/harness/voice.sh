# A voice for the tests, sourced: voice_start DIR starts a speech-dispatcher of its own in DIR,
# sets voice_address for its clients (SPEECHD_ADDRESS); voice_stop ends it. Its voice takes as
# long as a quick one (0.1 s, then 40 ms a letter) and plays nothing. voice_heard DIR prints each
# message said to its end, voice_handed DIR each message handed to it, in order.
# shellcheck shell=bash disable=SC2034 # voice_address is the caller's

voice_start() {
    mkdir -p "$1/speech-dispatcher/modules"
    cat >"$1/voice" <<EOF && chmod +x "$1/voice"
#!/bin/sh
# Latin-1 for a language it is not told the character set of.
text=\$1
printf %s "\$text" | iconv -f utf-8 >/dev/null 2>&1 || text=\$(printf %s "\$text" | iconv -f latin1 -t utf-8)
echo "begun \$text" >>"$1/said"
sleep "\$(echo "\$text" | awk '{ print 0.1 + length * 0.04 }')"
echo "ended \$text" >>"$1/said"
EOF
    cat >"$1/speech-dispatcher/speechd.conf" <<'EOF'
LogLevel 5
DisableAutoSpawn
AudioOutputMethod "alsa"
AudioALSADevice "null"
AddModule "paced" "sd_generic" "paced.conf"
DefaultModule paced
EOF
    cat >"$1/speech-dispatcher/modules/paced.conf" <<EOF
GenericExecuteSynth "$1/voice \'\$DATA\'"
GenericLanguage "de" "de" "utf-8"
AddVoice "de" "MALE1" "de"
EOF
    speech-dispatcher --run-single --timeout 0 --log-dir "$1" --config-dir "$1/speech-dispatcher" \
        --pid-file "$1/pid" \
        --communication-method unix_socket --socket-path "$1/socket" >/dev/null 2>&1 &
    voice_pid=$! voice_address=unix_socket:$1/socket
}

# A speech-dispatcher ended while it speaks may hang on its way out, its module with it.
voice_stop() {
    kill "$voice_pid" && for _ in 1 2 3 4 5 6 7 8 9 10; do kill -0 "$voice_pid" 2>/dev/null || return; sleep 0.2; done
    kill -KILL "$voice_pid" $(ps -o pid= --ppid "$voice_pid") 2>/dev/null
}

voice_heard() { sed -n 's/^ended //p' "$1/said"; }
voice_handed() {
    sed -n 's/.*Queueing message |\(.*\)| with priority [0-9]*$/\1/p' "$1/speech-dispatcher.log"
}
