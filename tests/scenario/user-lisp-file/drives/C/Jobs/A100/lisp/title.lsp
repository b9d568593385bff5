;; The drawing's number and title from its title block, as a user's small
;; LISP file reads them through the Brevant module.
(defun drawing-title (/ title number)
  (setq title (PellamBrevantGetAttributeValue "DOCTITLE[1]")
        number (PellamBrevantGetAttributeValue "DOCNUMBER"))
  (strcat number ": " title))

;|  SHOWTITLE: the same as a command, which prints a line
    and gives no value.  |;
(defun C:SHOWTITLE (/ text)
  (setq text (drawing-title))
  (princ (strcat "Drawing " text "\n"))
  (princ))
