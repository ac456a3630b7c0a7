;; SPDX-License-Identifier: GPL-3.0-or-later
;; festival --script festival_words.scm TEXTFILE WAVEFILE
;; Speaks TEXTFILE with cmu_us_slt_arctic_hts exactly as text2wave does (the
;; same hooks, one riff wave of all its utterances) and prints each token with
;; the start in seconds of its first word's first phone, from the wave's start:
;; "NAME<tab>SECONDS", or just "NAME" for a token that says no word.
(load (path-append datadir "init.scm"))
(gc-status nil)
(voice_cmu_us_slt_arctic_hts)

;; Names of their own: "last", "total" and the like are taken by Festival.
(defvar bench_fp (fopen (cadr argv) "wb"))
(defvar bench_samples 0)
(defvar bench_last_utt nil)

(define (bench_save_and_tell utt)
  ;; The relation's top level holds the tokens; their daughters are the words.
  (let ((token (utt.relation.first utt 'Token))
        (offset (/ bench_samples (get_param 'sample_rate (wave.info (utt.wave utt)) 1))))
    (while token
      (format t "%s" (item.name token))
      (if (item.daughter1 token)
          (format t "\t%f" (+ offset (item.feat token "daughter1.R:SylStructure.daughter1.daughter1.segment_start"))))
      (format t "\n")
      (set! token (item.next token))))
  (if (eq? bench_samples 0)
      (wave.save.header bench_fp (utt.wave utt) 'riff nil (list (list "numsamples" 0))))
  (set! bench_samples (+ bench_samples (get_param 'num_samples (wave.info (utt.wave utt)) 0)))
  (wave.save.data.fp (utt.wave utt) bench_fp 'riff nil)
  (set! bench_last_utt utt))

(set! tts_hooks (list utt.synth bench_save_and_tell))
(tts_file (car argv) (tts_find_text_mode (car argv) auto-text-mode-alist))
(fseek bench_fp 0 0)
(wave.save.header bench_fp (utt.wave bench_last_utt) 'riff nil (list (list "numsamples" bench_samples)))
(fclose bench_fp)
